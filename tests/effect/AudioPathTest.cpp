// The audio path through processReplacing: delay, denormal guard, meters and their readings,
// the Power bypass, and the rate-dependent latency, all with real audio.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Where a meter rests after long silence: the 1e-24 it gains every frame, held up by the fall.
constexpr float kMeterFloor = 1e-18f;

class AudioPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        effect = createTestEffect();
        ASSERT_NE(effect, nullptr);
        editor = new RecordingEditor(effect); // meter readings are answered with an editor
    }
    void TearDown() override { delete effect; }

    // Runs frames of the given signal through the record; answers the left output.
    std::vector<float> run(std::vector<float> left, std::vector<float> right)
    {
        processStereo(effect->getAeffect(), left, right, outLeft, outRight);
        return outLeft;
    }
    std::vector<float> run(const std::vector<float>& both) { return run(both, both); }
    std::vector<float> silence(size_t frames) { return run(std::vector<float>(frames, 0.0f)); }
    float reading(VstInt32 index) { return effect->getAeffect()->getParameter(effect->getAeffect(), index); }

    // The position of the single non-residual sample in out, or -1.
    static long impulsePosition(const std::vector<float>& out)
    {
        long found = -1;
        for (size_t i = 0; i < out.size(); ++i) {
            if (out[i] != kGuardResidual) {
                if (found >= 0)
                    return -2;
                found = static_cast<long>(i);
            }
        }
        return found;
    }

    CTarvelleVST* effect = nullptr;
    RecordingEditor* editor = nullptr;
    std::vector<float> outLeft, outRight;
};

TEST_F(AudioPathTest, ZeroFramesWriteNothingAndKeepTheMeters)
{
    std::vector<float> loud(300, 0.9f);
    run(loud);
    const float peak = reading(kReadingOutLeft);
    float left = 5.0f, right = 6.0f;
    float* in[2] = {&left, &right};
    float* out[2] = {&left, &right};
    AEffect* record = effect->getAeffect();
    record->processReplacing(record, in, out, 0);
    record->processReplacing(record, in, out, -5);
    EXPECT_EQ(left, 5.0f);
    EXPECT_EQ(right, 6.0f);
    EXPECT_EQ(reading(kReadingOutLeft), peak);
    record->processReplacing(record, nullptr, out, 16); // a host passing no buffers: nothing happens
    record->processReplacing(record, in, nullptr, 16);
}

TEST_F(AudioPathTest, UnityPassesAFullScaleSineUnchangedAfter220Samples)
{
    const size_t frames = 4000;
    std::vector<float> sine(frames), cosine(frames);
    for (size_t i = 0; i < frames; ++i) {
        sine[i] = static_cast<float>(std::sin(0.01 * static_cast<double>(i) + 0.3));
        cosine[i] = static_cast<float>(std::cos(0.013 * static_cast<double>(i)));
    }
    run(sine, cosine);
    for (size_t i = 0; i < 220; ++i) {
        ASSERT_EQ(outLeft[i], kGuardResidual) << i;
        ASSERT_EQ(outRight[i], kGuardResidual) << i;
    }
    for (size_t i = 220; i < frames; ++i) {
        ASSERT_EQ(outLeft[i], sine[i - 220]) << i;
        ASSERT_EQ(outRight[i], cosine[i - 220]) << i;
    }
    EXPECT_EQ(reading(kReadingGainReduction), 0.0f);
}

TEST_F(AudioPathTest, SilenceAndDenormalInputLeaveOnlyTheGuardResidual)
{
    std::vector<float> tiny(600, 1e-40f);
    tiny[1] = -1e-40f;
    tiny[2] = std::numeric_limits<float>::denorm_min();
    for (float v : run(tiny))
        ASSERT_EQ(v, kGuardResidual);
    for (float v : silence(600))
        ASSERT_EQ(v, kGuardResidual);
    effect->setParameter(kParamPower, 1.0f);
    for (float v : run(tiny))
        ASSERT_EQ(v, kGuardResidual);
}

TEST_F(AudioPathTest, OutputLevelReadingFollowsThePeakAndFalls20DbIn100Ms)
{
    std::vector<float> pulse(221, 0.0f);
    pulse[0] = 0.5f;
    run(pulse);
    ASSERT_EQ(outLeft[220], 0.5f);
    EXPECT_NEAR(reading(kReadingOutLeft), 0.8969181f, 1e-7f);
    EXPECT_EQ(reading(kReadingOutLeft), CTarvelleVST::levelReading(0.5f));
    EXPECT_LT(reading(kReadingOverLeft), kMeterFloor);

    // One frame later the peak has fallen by the factor for 20 dB in 0.1 s at 44.1 kHz.
    silence(1);
    const float fallen = static_cast<float>(static_cast<float>(0.5 * 0.9994780081461755) + 1e-24);
    EXPECT_EQ(reading(kReadingOutLeft), CTarvelleVST::levelReading(fallen));

    silence(4409);
    // The peak itself is back at about a tenth: 0.05 shows as 0.05^0.24 * 10^(1/40).
    const float expected = CTarvelleVST::levelReading(0.05f);
    EXPECT_NEAR(reading(kReadingOutLeft), expected, expected * 1e-4f);
    EXPECT_EQ(reading(kReadingOutLeft), reading(kReadingOutRight));
}

TEST_F(AudioPathTest, FullScaleOutputLightsTheOverWhichFalls20DbIn3Seconds)
{
    std::vector<float> pulse(221, 0.0f);
    pulse[0] = 1.0f;
    run(pulse);
    ASSERT_EQ(outLeft[220], 1.0f);
    EXPECT_NEAR(reading(kReadingOutLeft), 1.0592537f, 1e-7f);
    EXPECT_EQ(reading(kReadingOverLeft), 1.0f);
    EXPECT_EQ(reading(kReadingOverRight), 1.0f);
    silence(1); // 20 dB in 3 s
    EXPECT_EQ(reading(kReadingOverLeft), static_cast<float>(static_cast<float>(0.9999825958801535) + 1e-24));

    silence(3 * 44100 - 1);
    EXPECT_NEAR(reading(kReadingOverLeft), 0.1f, 1e-5f);
}

TEST_F(AudioPathTest, ALaterOverReplacesALargerHeldOne)
{
    // Out Ceiling about +1.6 dB: 0.9 is clipped at the output gain, 0.6 passes above 1.0.
    effect->setParameter(kParamOutCeiling, static_cast<float>((20.0 * std::log10(1.2) + 20.0) / 40.0));
    std::vector<float> signal(221, 0.0f);
    signal[0] = 0.9f;
    signal[10] = -0.6f;
    run(signal);
    const float held = outLeft[220];
    EXPECT_EQ(held, effect->getEngine().getOutputGain());
    EXPECT_NEAR(reading(kReadingOverLeft), held, 1e-6f);

    run(std::vector<float>(10, 0.0f));
    const float later = std::fabs(outLeft[9]);
    ASSERT_GE(later, 1.0f);
    ASSERT_LT(later, held);
    EXPECT_EQ(reading(kReadingOverLeft), later);
}

TEST_F(AudioPathTest, BelowZeroDbCeilingNothingReachesTheOverIndicators)
{
    effect->setParameter(kParamOutCeiling, 0.45f); // -2 dB
    run(std::vector<float>(3000, 4.0f));
    EXPECT_LT(reading(kReadingOverLeft), kMeterFloor);
    EXPECT_GT(reading(kReadingGainReduction), 0.0f);
}

TEST_F(AudioPathTest, ReadingScalesMatchTheMeterFaces)
{
    EXPECT_EQ(CTarvelleVST::levelReading(0.0f), 0.0f);
    EXPECT_NEAR(CTarvelleVST::levelReading(0.5f), 0.8969181f, 1e-7f);
    EXPECT_NEAR(CTarvelleVST::levelReading(1.0f), 1.0592537f, 1e-7f);
    EXPECT_EQ(CTarvelleVST::reductionReading(0.0f), 0.0f);
    EXPECT_NEAR(CTarvelleVST::reductionReading(0.5f), 0.3075627f, 1e-7f);
    EXPECT_NEAR(CTarvelleVST::reductionReading(1.0f), 1.1087641f, 1e-7f);
}

TEST_F(AudioPathTest, ReadingsNeedAnEditorObject)
{
    std::vector<float> pulse(221, 0.0f);
    pulse[0] = 1.0f;
    run(pulse);
    ASSERT_GT(reading(kReadingOutLeft), 1.0f);
    delete editor; // detaches itself
    effect->setEditor(nullptr);
    effect->setEditorLink(nullptr);
    for (VstInt32 index = kReadingOutLeft; index <= kReadingGainReduction; ++index)
        EXPECT_EQ(reading(index), 0.0f) << index;
    EXPECT_GT(effect->getMeterReading(kReadingOutLeft), 1.0f);
}

TEST_F(AudioPathTest, GainReductionIsMeteredFromTheEngineGain)
{
    run(std::vector<float>(5000, 2.0f));
    // A steady 2.0 settles at a gain of 0.25: a reduction of 0.75.
    EXPECT_NEAR(effect->getEngine().getGain(), 0.25f, 1e-3f);
    EXPECT_NEAR(reading(kReadingGainReduction), CTarvelleVST::reductionReading(0.75f), 1e-3f);
}

TEST_F(AudioPathTest, BypassDelaysTheInputAloneAndLetsTheMetersFall)
{
    std::vector<float> pulse(221, 0.0f);
    pulse[0] = 1.0f;
    run(pulse);
    ASSERT_GT(reading(kReadingOverLeft), 0.0f);

    effect->setParameter(kParamInputThres, 1.0f); // +20 dB would show if it were applied
    effect->setParameter(kParamPower, 1.0f);
    const size_t frames = 1000;
    std::vector<float> left(frames), right(frames);
    for (size_t i = 0; i < frames; ++i) {
        left[i] = 3.0f * static_cast<float>(std::sin(0.02 * static_cast<double>(i) + 0.3));
        right[i] = -0.25f;
    }
    run(left, right);
    for (size_t i = 0; i < 220; ++i)
        ASSERT_EQ(outLeft[i], kGuardResidual) << i;
    for (size_t i = 220; i < frames; ++i) {
        ASSERT_EQ(outLeft[i], left[i - 220]) << i;
        ASSERT_EQ(outRight[i], right[i - 220]) << i;
    }
    EXPECT_EQ(reading(kReadingOverLeft), 0.0f);
    EXPECT_EQ(reading(kReadingOverRight), 0.0f);
    EXPECT_EQ(reading(kReadingGainReduction), 0.0f);
    // Cleared by the switch, the peaks only fall: they hold the 1e-24 floor.
    EXPECT_LT(effect->getMeterReading(kReadingOutLeft), 1e-5f);
}

TEST_F(AudioPathTest, SwitchingPowerClearsTheDelayLinesBetweenBlocks)
{
    run(std::vector<float>(500, 0.7f));
    effect->setParameter(kParamPower, 1.0f);
    std::vector<float> after = run(std::vector<float>(300, 0.3f));
    for (size_t i = 0; i < 220; ++i)
        ASSERT_EQ(after[i], kGuardResidual) << i;
    EXPECT_EQ(after[220], 0.3f);

    effect->setParameter(kParamPower, 0.0f);
    after = run(std::vector<float>(300, 0.3f));
    for (size_t i = 0; i < 220; ++i)
        ASSERT_EQ(after[i], kGuardResidual) << i;
    EXPECT_EQ(after[220], 0.3f);
}

TEST_F(AudioPathTest, SuspendClearsAndRefreshesAnOpenEditorsMeters)
{
    run(std::vector<float>(400, 0.9f));
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(editor->meterUpdates, 0); // window closed: nothing to refresh
    EXPECT_EQ(reading(kReadingOutLeft), 0.0f);

    int window = 0;
    ASSERT_EQ(record->dispatcher(record, effEditOpen, 0, 0, &window, 0.0f), 1);
    record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(editor->meterUpdates, 1);
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f); // resume adds nothing
    EXPECT_EQ(editor->meterUpdates, 1);
}

TEST_F(AudioPathTest, OneInputFeedsBothOutputsAndOneOutputLeavesTheSecondAlone)
{
    std::vector<float> in(300, 0.0f);
    in[5] = 0.4f;
    std::vector<float> outL(300, 9.0f), outR(300, 9.0f);
    float* inputs[1] = {in.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    effect->processBlock(inputs, outputs, 300, 1, 2);
    EXPECT_EQ(outL[225], 0.4f);
    EXPECT_EQ(outR, outL);

    std::vector<float> untouched(300, 9.0f);
    outR = untouched;
    effect->processBlock(inputs, outputs, 300, 1, 1);
    EXPECT_EQ(outR, untouched);

    effect->setParameter(kParamPower, 1.0f);
    effect->processBlock(inputs, outputs, 300, 1, 2);
    EXPECT_EQ(outL[225], 0.4f);
    EXPECT_EQ(outR, outL);
}

TEST_F(AudioPathTest, InPlaceBuffersGiveTheSameResult)
{
    std::vector<float> signal(1000);
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = 2.5f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
    std::vector<float> separate = run(signal);

    CTarvelleVST* second = createTestEffect();
    std::vector<float> left = signal, right = signal;
    float* buffers[2] = {left.data(), right.data()};
    second->processReplacing(buffers, buffers, static_cast<VstInt32>(left.size()));
    EXPECT_EQ(left, separate);
    delete second;
}

TEST_F(AudioPathTest, BlockSizesDoNotChangeOutputsOrMeters)
{
    const size_t frames = 6000;
    std::vector<float> left(frames), right(frames);
    for (size_t i = 0; i < frames; ++i) {
        left[i] = 3.0f * static_cast<float>(std::sin(0.031 * static_cast<double>(i)));
        right[i] = (i / 700) % 2 == 0 ? 0.2f : -1.7f;
    }
    std::vector<float> wholeLeft = run(left, right);
    std::vector<float> wholeRight = outRight;

    CTarvelleVST* other = createTestEffect();
    std::vector<float> partLeft(frames), partRight(frames);
    const size_t sizes[] = {1, 7, 255, 256, 257, 1000, 513, 2};
    size_t done = 0;
    for (size_t k = 0; done < frames; ++k) {
        const size_t n = std::min(sizes[k % 8], frames - done);
        float* in[2] = {left.data() + done, right.data() + done};
        float* out[2] = {partLeft.data() + done, partRight.data() + done};
        other->processReplacing(in, out, static_cast<VstInt32>(n));
        done += n;
    }
    EXPECT_EQ(partLeft, wholeLeft);
    EXPECT_EQ(partRight, wholeRight);
    for (VstInt32 index = kReadingOutLeft; index <= kReadingGainReduction; ++index)
        EXPECT_EQ(other->getMeterReading(index), effect->getMeterReading(index)) << index;
    EXPECT_GT(effect->getMeterReading(kReadingGainReduction), 0.0f);
    delete other;
}

// ---- Sample rate: latency, the real delay and the meter speed stay together ----

struct RateCase {
    float rate;
    float reportedRate;
    VstInt32 delay;
};

class SampleRateTest : public AudioPathTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(SampleRateTest, ReportedDelayIsTheRealDelay)
{
    const RateCase rate = GetParam();
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, rate.rate);
    EXPECT_EQ(effect->getSampleRate(), rate.reportedRate);
    EXPECT_EQ(record->initialDelay, rate.delay);

    record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> impulse(static_cast<size_t>(rate.delay) + 50, 0.0f);
    impulse[3] = 0.5f;
    run(impulse);
    EXPECT_EQ(impulsePosition(outLeft), rate.delay + 3);
    EXPECT_EQ(impulsePosition(outRight), rate.delay + 3);

    effect->setParameter(kParamPower, 1.0f);
    run(impulse);
    EXPECT_EQ(impulsePosition(outLeft), rate.delay + 3);
}

INSTANTIATE_TEST_SUITE_P(Rates, SampleRateTest,
                         ::testing::Values(RateCase{22050.0f, 44100.0f, 220}, RateCase{0.0f, 44100.0f, 220},
                                           RateCase{-1.0f, 44100.0f, 220}, RateCase{44100.0f, 44100.0f, 220},
                                           RateCase{48000.0f, 48000.0f, 240}, RateCase{88200.0f, 88200.0f, 441},
                                           RateCase{96000.0f, 96000.0f, 480}, RateCase{192000.0f, 192000.0f, 960},
                                           RateCase{1e9f, 768000.0f, 3840},
                                           RateCase{std::numeric_limits<float>::quiet_NaN(), 44100.0f, 220},
                                           RateCase{std::numeric_limits<float>::infinity(), 44100.0f, 220},
                                           RateCase{-std::numeric_limits<float>::infinity(), 44100.0f, 220}));

TEST_F(AudioPathTest, MeterFallFollowsTheRate)
{
    effect->setSampleRate(96000.0f);
    std::vector<float> pulse(481, 0.0f);
    pulse[0] = 0.5f;
    run(pulse);
    ASSERT_EQ(outLeft[480], 0.5f);
    silence(9600); // 0.1 s at 96 kHz: 20 dB down
    const float expected = CTarvelleVST::levelReading(0.05f);
    EXPECT_NEAR(reading(kReadingOutLeft), expected, expected * 1e-4f);
}

} // namespace
