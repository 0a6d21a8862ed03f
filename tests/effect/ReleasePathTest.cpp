// The two release paths of processReplacing, against the stated numbers: while leveling, the
// gain recovers at (1 - gain) / (rate x recovery time) per sample, re-planned every block, and
// the gain-reduction meter falls 20 dB in 3.5 s; in the "Power" bypass the gain is left alone,
// the signal only passes the delay, and the output meters fall 20 dB in 0.1 s.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class ReleasePathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        effect = createTestEffect();
        ASSERT_NE(effect, nullptr);
        new RecordingEditor(effect); // readings are answered while an editor exists
    }
    void TearDown() override { delete effect; }

    void run(const std::vector<float>& both)
    {
        std::vector<float> left = both, right = both;
        processStereo(effect->getAeffect(), left, right, outLeft, outRight);
    }
    float reading(VstInt32 index) { return effect->getAeffect()->getParameter(effect->getAeffect(), index); }

    CTarvelleVST* effect = nullptr;
    std::vector<float> outLeft, outRight;
};

TEST_F(ReleasePathTest, LevelingRecoversAtTheModeSpeedAndTheReductionMeterFalls20DbIn3Point5Seconds)
{
    // Slow (0.1 s): a steady 2.0 settles the gain at 0.25.
    effect->setParameter(kParamRecovery, 0.75f);
    run(std::vector<float>(20000, 2.0f));
    const CMaximizer& engine = effect->getEngine();
    ASSERT_NEAR(engine.getGain(), 0.25f, 1e-3f);
    const float heldReduction = reading(kReadingGainReduction);
    ASSERT_NEAR(heldReduction, CTarvelleVST::reductionReading(0.75f), 1e-3f);

    // Silence: the history remembers the loud blocks for 16 more re-plans (and the block that
    // held the last loud sample), then every re-plan aims at unity with the mode's slope.
    run(std::vector<float>(420, 0.0f));
    const float before = engine.getGain();
    ASSERT_GT(engine.getGainSlope(), 0.0f);
    ASSERT_LT(before, 0.5f);
    // 0.1 s later the gain has covered 1 - 1/e of the way to unity, give or take the block steps.
    run(std::vector<float>(4410, 0.0f));
    const double covered = (engine.getGain() - before) / (1.0 - before);
    EXPECT_NEAR(covered, 1.0 - std::exp(-1.0), 0.02);
    // It never passes unity and comes to rest just below it.
    run(std::vector<float>(44100, 0.0f));
    EXPECT_LE(engine.getGain(), 1.0f);
    EXPECT_GT(engine.getGain(), 0.999f);

    // Meanwhile the reduction meter only fell: 20 dB (a tenth) in 3.5 s of frames in all.
    run(std::vector<float>(3 * 44100 + 22050 - 420 - 4410 - 44100, 0.0f));
    const double fallen = std::pow(0.9999850821644434, 3.5 * 44100);
    EXPECT_NEAR(effect->getMeterReading(kReadingGainReduction),
                CTarvelleVST::reductionReading(static_cast<float>(0.75 * fallen)), 2e-3);
    EXPECT_NEAR(fallen, 0.1, 1e-6);
}

TEST_F(ReleasePathTest, BypassLeavesTheGainAloneAndOnlyTheOutputMetersFall)
{
    // Switching Power resets the engine when the next block starts: unity gain, no slope.
    effect->setParameter(kParamPower, 1.0f);
    const float gainBefore = 1.0f;
    const float slopeBefore = 0.0f;

    // Loud material in bypass: delayed, unlevelled, no over, no reduction, no gain movement.
    std::vector<float> loud(5000);
    for (size_t i = 0; i < loud.size(); ++i)
        loud[i] = 4.0f * static_cast<float>(std::sin(0.05 * static_cast<double>(i) + 0.3));
    run(loud);
    for (size_t i = 220; i < loud.size(); ++i)
        ASSERT_EQ(outLeft[i], loud[i - 220]) << i;
    EXPECT_EQ(effect->getEngine().getGain(), gainBefore);
    EXPECT_EQ(effect->getEngine().getGainSlope(), slopeBefore);
    EXPECT_EQ(reading(kReadingOverLeft), 0.0f);
    EXPECT_EQ(reading(kReadingGainReduction), 0.0f);

    // The output peaks never rise in bypass: each frame is float(float(peak x fall) + 1e-24),
    // a sum that settles where the fall takes away what the offset adds.
    const double fall = 0.9994780081461755;
    const float floorValue = effect->getMeterReading(kReadingOutLeft);
    const float ceilingValue = CTarvelleVST::levelReading(static_cast<float>(1e-24 / (1.0 - fall) * 1.001));
    EXPECT_LT(floorValue, ceilingValue);
    run(std::vector<float>(2000, 0.5f));
    const float later = effect->getMeterReading(kReadingOutLeft);
    EXPECT_GE(later, floorValue);
    EXPECT_LT(later, ceilingValue);
    EXPECT_LT(ceilingValue, 1e-4f); // nothing a meter face shows
}

} // namespace
