// Behaviour of the leveling engine: geometry, leveling, recovery, block planning,
// controls, ceiling, bypass and the denormal guards.
#include "Maximizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// float(1e-18) - 1e-18: what the tiny-value guard leaves of silence.
constexpr float kResidual = 4.581370412382873e-26f;
constexpr double kPi = 3.14159265358979323846;

struct Frame {
    float left;
    float right;
    float gain;
};

// Runs `process` over a mono signal fed to both channels.
std::vector<Frame> run(CMaximizer& m, const std::vector<float>& in)
{
    std::vector<Frame> out;
    out.reserve(in.size());
    for (float x : in) {
        Frame f{};
        f.gain = m.process(x, x, f.left, f.right);
        out.push_back(f);
    }
    return out;
}

std::vector<float> sine(double amplitude, int frames, int period = 100)
{
    std::vector<float> v(static_cast<size_t>(frames));
    for (int n = 0; n < frames; ++n)
        v[static_cast<size_t>(n)] = static_cast<float>(amplitude * std::sin(2.0 * kPi * n / period));
    return v;
}

std::vector<float> impulse(int frames, int at, float value)
{
    std::vector<float> v(static_cast<size_t>(frames), 0.0f);
    v[static_cast<size_t>(at)] = value;
    return v;
}

// ---------------------------------------------------------------- geometry

TEST(MaximizerGeometry, RateZeroBehavesAs44100)
{
    CMaximizer m(0.0f);
    ASSERT_TRUE(m.isValid());
    EXPECT_EQ(m.getSampleRate(), 44100.0f);
    EXPECT_EQ(m.getLookahead(), 220);
    EXPECT_EQ(m.getBlockLength(), 22);
    // Construction leaves the gain at 0 (silent until reset) and the default controls.
    EXPECT_EQ(m.getGain(), 0.0f);
    EXPECT_EQ(m.getSmoothedGain(), 0.0f);
    EXPECT_EQ(m.getInputGain(), 1.0f);
    EXPECT_EQ(m.getOutputGain(), 1.0f);
    EXPECT_EQ(m.getTargetLevel(), 1.0f);
    EXPECT_EQ(m.getRecoveryTime(), 0.02);
    EXPECT_EQ(m.getCeilingClip(), 0.0f);
}

TEST(MaximizerGeometry, RateChangeRederivesDelayAndBlock)
{
    struct Case {
        float rate;
        int lookahead;
        int blockLength;
    };
    for (const Case c :
         {Case{48000.0f, 240, 24}, Case{96000.0f, 480, 48}, Case{44100.0f, 220, 22}, Case{768000.0f, 3840, 384}}) {
        SCOPED_TRACE(c.rate);
        CMaximizer m(44100.0f);
        m.setSampleRate(c.rate);
        EXPECT_EQ(m.getSampleRate(), c.rate);
        EXPECT_EQ(m.getLookahead(), c.lookahead);
        EXPECT_EQ(m.getBlockLength(), c.blockLength);

        // An impulse leaves exactly `lookahead` samples late, in both paths.
        m.reset();
        const auto out = run(m, impulse(c.lookahead + 10, 3, 0.5f));
        for (size_t i = 0; i < out.size(); ++i) {
            const float expect = (static_cast<int>(i) == 3 + c.lookahead) ? 0.5f : kResidual;
            ASSERT_EQ(out[i].left, expect) << "frame " << i;
            ASSERT_EQ(out[i].right, expect) << "frame " << i;
        }
        m.reset();
        for (int i = 0; i < c.lookahead + 10; ++i) {
            float l = 0, r = 0;
            m.processDelayOnly(i == 3 ? 0.25f : 0.0f, i == 3 ? -0.25f : 0.0f, l, r);
            ASSERT_EQ(l, i == 3 + c.lookahead ? 0.25f : kResidual) << "frame " << i;
            ASSERT_EQ(r, i == 3 + c.lookahead ? -0.25f : kResidual) << "frame " << i;
        }
    }
}

TEST(MaximizerGeometry, AbsurdAndInvalidRatesStayInsideTheRing)
{
    CMaximizer huge(1e9f);
    ASSERT_TRUE(huge.isValid());
    EXPECT_EQ(huge.getLookahead(), CMaximizer::kDelaySize - 1);
    huge.reset();
    const auto out = run(huge, impulse(CMaximizer::kDelaySize + 4, 0, 0.5f));
    EXPECT_EQ(out[CMaximizer::kDelaySize - 1].left, 0.5f);

    CMaximizer m(48000.0f);
    for (float bad : {0.0f, -48000.0f, std::nanf("")}) {
        m.setSampleRate(bad);
        EXPECT_EQ(m.getSampleRate(), 48000.0f);
        EXPECT_EQ(m.getLookahead(), 240);
    }
    CMaximizer negative(-1.0f);
    EXPECT_EQ(negative.getSampleRate(), 44100.0f);
    EXPECT_EQ(negative.getLookahead(), 220);
}

// ---------------------------------------------------------------- leveling

TEST(MaximizerLeveling, FullScaleSinePassesLateAtUnityGain)
{
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.reset();
    const auto in = sine(1.0, 4000, 97);
    const auto out = run(m, in);
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i].gain, 1.0f) << i;
        const float expect = (i < 220) ? kResidual : in[i - 220];
        // Zero crossings come out as the guard residual; everything else is bit-identical.
        if (i >= 220 && std::fabs(in[i - 220]) < 1e-10f)
            continue;
        ASSERT_EQ(out[i].left, expect) << i;
        ASSERT_EQ(out[i].right, expect) << i;
    }
}

TEST(MaximizerLeveling, LoudSinesSettleUnderTheCeiling)
{
    struct Case {
        double amplitude;
        float gain;
        float peak;
    };
    for (const Case c : {Case{2.0, 0.25f, 0.5f}, Case{4.0, 0.0625f, 0.25f}}) {
        SCOPED_TRACE(c.amplitude);
        CMaximizer m(44100.0f);
        m.setParam(6, 1.0f);
        m.reset();
        const auto out = run(m, sine(c.amplitude, 44100));
        float maxOut = 0;
        for (const Frame& f : out)
            maxOut = std::fmax(maxOut, std::fmax(std::fabs(f.left), std::fabs(f.right)));
        EXPECT_LE(maxOut, 1.0f);
        // The last half second is settled.
        float lastPeak = 0;
        for (size_t i = 22050; i < out.size(); ++i) {
            EXPECT_NEAR(out[i].gain, c.gain, c.gain * 1e-3) << i;
            lastPeak = std::fmax(lastPeak, std::fabs(out[i].left));
        }
        EXPECT_NEAR(lastPeak, c.peak, c.peak * 1e-3);
    }
}

TEST(MaximizerLeveling, RecoversAfterLoudPassageAndRestsBelowUnity)
{
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.reset();
    run(m, sine(2.0, 22050));
    float maxGain = 0;
    std::vector<float> gains;
    for (const Frame& f : run(m, std::vector<float>(3 * 44100, 0.0f))) {
        maxGain = std::fmax(maxGain, f.gain);
        gains.push_back(f.gain);
    }
    EXPECT_LE(maxGain, 1.0f);
    // Halfway back after a few recovery times, at rest once the increment rounds away.
    EXPECT_GT(gains[2000], 0.5f);
    EXPECT_NEAR(gains.back(), 0.99997f, 1e-5f);
    EXPECT_LT(gains.back(), 1.0f);
    EXPECT_EQ(gains[2 * 44100], gains.back());
}

TEST(MaximizerLeveling, FirstReplanOnThe23rdCall)
{
    CMaximizer m(44100.0f);
    m.reset();
    float l, r;
    for (int call = 1; call <= 22; ++call) {
        m.process(0.0f, 0.0f, l, r);
        ASSERT_EQ(m.getGainSlope(), 0.0f) << call;
    }
    m.process(0.0f, 0.0f, l, r);
    // The recovery slope of unity gain is 0, which the slope guard turns into the residual.
    EXPECT_EQ(m.getGainSlope(), kResidual);
}

TEST(MaximizerLeveling, ReplanReadsHistoryWithWeights)
{
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.reset();
    const float expectedSlope = static_cast<float>(-0.75 / (9.0 * 44100.0 * 0.0015 + 1.0));
    for (int call = 1; call <= 300; ++call) {
        const float x = (call == 6) ? 2.0f : 0.0f;
        float l, r;
        const float g = m.process(x, x, l, r);
        if (call == 23) {
            EXPECT_EQ(g, 1.0f); // empty history: no reduction planned yet
            EXPECT_EQ(m.getGainSlope(), kResidual);
        }
        if (call == 46) {
            EXPECT_EQ(m.getGainSlope(), expectedSlope);
            EXPECT_NEAR(m.getGainSlope(), -0.0012576507f, 1e-10f);
        }
        if (call == 69) {
            EXPECT_EQ(g, 0.97107387f);
        }
        if (call == 226) {
            EXPECT_GT(l, 0.5f);
            EXPECT_EQ(l, r);
        } else {
            ASSERT_EQ(l, kResidual) << call;
            ASSERT_EQ(r, kResidual) << call;
        }
    }
}

TEST(MaximizerLeveling, LouderChannelDrivesDetection)
{
    // 2.0 on one channel drives the gain to 0.25 whichever side it is on; a NaN on the
    // right loses to the left square.
    auto settle = [](float left, float right) {
        CMaximizer m(44100.0f);
        m.reset();
        float g = 0, l, r;
        for (int i = 0; i < 2000; ++i)
            g = m.process(left, right, l, r);
        return g;
    };
    EXPECT_NEAR(settle(0.5f, 2.0f), 0.25f, 1e-4f);
    EXPECT_NEAR(settle(2.0f, 0.5f), 0.25f, 1e-4f);
    EXPECT_NEAR(settle(-2.0f, 2.0f), 0.25f, 1e-4f);
    EXPECT_NEAR(settle(0.5f, -1.0f), 1.0f, 0.0f);
    EXPECT_NEAR(settle(2.0f, std::nanf("")), 0.25f, 1e-4f);

    // The same steady input on the louder side gives bit-identical gains.
    CMaximizer a(44100.0f), b(44100.0f);
    a.reset();
    b.reset();
    for (int i = 0; i < 1000; ++i) {
        float l, r;
        const float x = static_cast<float>(3.0 * std::sin(i * 0.05));
        ASSERT_EQ(a.process(0.1f * x, x, l, r), b.process(x, 0.1f * x, l, r)) << i;
    }
}

// ---------------------------------------------------------------- controls

TEST(MaximizerControls, RecoveryModeSelection)
{
    CMaximizer m(44100.0f);
    m.setParam(2, 1.0f);
    EXPECT_EQ(m.getRecoveryTime(), 1.0);
    m.setParam(2, 0.2501f);
    EXPECT_EQ(m.getRecoveryTime(), 0.04);
    m.setParam(2, 0.5001f);
    EXPECT_EQ(m.getRecoveryTime(), 0.06);
    m.setParam(2, 0.7501f);
    EXPECT_EQ(m.getRecoveryTime(), 0.1);
    for (float ignored : {1.25f, -1.0f, 1e30f, -1e30f, std::nanf(""), INFINITY}) {
        m.setParam(2, ignored);
        EXPECT_EQ(m.getRecoveryTime(), 0.1) << ignored;
    }
    m.setParam(2, 0.0f);
    EXPECT_EQ(m.getRecoveryTime(), 0.02);
}

TEST(MaximizerControls, UnusedCodesChangeNothing)
{
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.reset();
    const auto snapshot = [&m] {
        return std::vector<double>{m.getInputGain(),   m.getOutputGain(), m.getTargetLevel(),  m.getRecoveryTime(),
                                   m.getCeilingClip(), m.getGain(),       m.getSmoothedGain(), m.getGainSlope()};
    };
    const auto before = snapshot();
    for (int code : {4, 7, -1, 100, INT32_MIN, INT32_MAX})
        m.setParam(code, 0.9f);
    EXPECT_EQ(snapshot(), before);
}

TEST(MaximizerControls, GainControlsInDecibels)
{
    CMaximizer m(44100.0f);
    m.setParam(0, 1.0f);
    EXPECT_EQ(m.getInputGain(), 10.0f);
    m.setParam(0, 0.0f);
    EXPECT_EQ(m.getInputGain(), 0.1f);
    m.setParam(5, 0.25f);
    EXPECT_EQ(m.getOutputGain(), static_cast<float>(std::exp(-10.0 * 0.11512925464970228)));
    m.setParam(1, 1.0f);
    EXPECT_EQ(m.getTargetLevel(), static_cast<float>(std::exp(-8.0 * 0.11512925464970228)));
    m.setParam(3, 0.75f);
    EXPECT_EQ(m.getGain(), 10.0f);
}

TEST(MaximizerControls, OutputGainActsAsCeiling)
{
    // outputGain 0.5 = -6.02 dB; x = (20 + 20*log10(0.5)) / 40.
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.setParam(5, static_cast<float>((20.0 + 20.0 * std::log10(0.5)) / 40.0));
    ASSERT_NEAR(m.getOutputGain(), 0.5f, 1e-6f);
    const float og = m.getOutputGain();
    m.reset();
    // A delayed 0.2 below the ceiling meets the output gain three times; 8.0 is clipped to
    // exactly the output gain even though the leveling has already pulled it down a little.
    std::vector<float> in(600, 0.0f);
    in[10] = 0.2f;
    in[11] = -0.2f;
    const auto quiet = run(m, in);
    const float once = static_cast<float>(static_cast<double>(0.2f) * og);
    const float twice = static_cast<float>(static_cast<double>(once) * og);
    EXPECT_EQ(quiet[230].left, static_cast<float>(static_cast<double>(twice) * og));
    EXPECT_NEAR(quiet[230].left, 0.025f, 1e-7f);
    EXPECT_NEAR(quiet[231].left, -0.025f, 1e-7f);

    m.reset();
    in[10] = 8.0f;
    in[11] = -8.0f;
    float worst = 0;
    const auto loud = run(m, in);
    for (const Frame& f : loud)
        worst = std::fmax(worst, std::fabs(f.left));
    EXPECT_LE(worst, og);
    EXPECT_EQ(loud[230].left, og);
    EXPECT_EQ(loud[231].left, -og);
}

TEST(MaximizerControls, CeilingOnlyAboveHalf)
{
    // +6 dB output gain on a 0.9 sample that the detector leaves alone: 1.8 unclipped,
    // exactly the output gain when clipped. The switch is strictly greater than 0.5.
    for (float flag : {0.5f, 0.0f, 0.50001f, 1.0f}) {
        CMaximizer m(44100.0f);
        m.setParam(5, 0.65f);
        m.setParam(6, flag);
        const float og = m.getOutputGain();
        m.reset();
        const auto out = run(m, impulse(300, 0, 0.9f));
        const float expect = flag > 0.5f ? og : static_cast<float>(static_cast<double>(0.9f) * og);
        EXPECT_EQ(out[220].left, expect) << flag;
        EXPECT_EQ(out[220].gain, 1.0f);
    }
}

TEST(MaximizerBlock, InPlaceAndWithoutGainsMatchesFramewise)
{
    // In-place processing (outputs are the inputs) and a null gain array.
    CMaximizer a(48000.0f), b(48000.0f);
    for (CMaximizer* m : {&a, &b}) {
        m->setParam(6, 1.0f);
        m->setParam(0, 0.6f);
        m->reset();
    }
    std::vector<float> left = sine(2.5, 3000, 37), right = sine(-1.5, 3000, 23);
    std::vector<float> expectL(left.size()), expectR(left.size());
    for (size_t i = 0; i < left.size(); ++i)
        a.process(left[i], right[i], expectL[i], expectR[i]);
    b.processBlock(left.data(), right.data(), left.data(), right.data(), nullptr, 1000);
    b.processBlock(left.data() + 1000, right.data() + 1000, left.data() + 1000, right.data() + 1000, nullptr, 2000);
    b.processBlock(nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    for (size_t i = 0; i < left.size(); ++i) {
        ASSERT_EQ(left[i], expectL[i]) << i;
        ASSERT_EQ(right[i], expectR[i]) << i;
    }
    EXPECT_EQ(a.getGain(), b.getGain());
    EXPECT_EQ(a.getSmoothedGain(), b.getSmoothedGain());
    EXPECT_EQ(a.getGainSlope(), b.getGainSlope());
}

// ---------------------------------------------------------------- bypass and guards

TEST(MaximizerGuards, DelayOnlyPassesInputAndLeavesDetectionAlone)
{
    CMaximizer m(44100.0f);
    m.setParam(0, 1.0f); // input gain 10: not applied in bypass
    m.reset();
    std::vector<float> in(1000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(5.0 * std::sin(0.37 * i) + 0.1);
    for (size_t i = 0; i < in.size(); ++i) {
        float l, r;
        ASSERT_EQ(m.processDelayOnly(in[i], -in[i], l, r), 0.0f);
        ASSERT_EQ(l, i < 220 ? kResidual : in[i - 220]) << i;
        ASSERT_EQ(r, i < 220 ? kResidual : -in[i - 220]) << i;
    }
    EXPECT_EQ(m.getGain(), 1.0f);
    EXPECT_EQ(m.getGainSlope(), 0.0f);
    // Denormal input leaves as the residual too.
    m.reset();
    float l, r;
    for (int i = 0; i < 221; ++i)
        m.processDelayOnly(1e-40f, -1e-40f, l, r);
    EXPECT_EQ(l, kResidual);
    EXPECT_EQ(r, kResidual);
}

TEST(MaximizerGuards, SilenceGivesTheResidualNeverZero)
{
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.reset();
    for (const Frame& f : run(m, std::vector<float>(5000, 0.0f))) {
        ASSERT_EQ(f.left, kResidual);
        ASSERT_EQ(f.right, kResidual);
    }
    // Both paths share the ring and the running write position.
    float l, r;
    m.reset();
    m.process(0.75f, 0.75f, l, r);
    for (int i = 0; i < 219; ++i)
        m.processDelayOnly(0.0f, 0.0f, l, r);
    m.processDelayOnly(0.0f, 0.0f, l, r);
    EXPECT_EQ(l, 0.75f);
}

TEST(MaximizerGuards, ResetRestoresUnityAndKeepsControls)
{
    CMaximizer m(44100.0f);
    m.setParam(0, 0.75f);
    m.setParam(2, 1.0f);
    m.setParam(5, 0.25f);
    m.setParam(6, 1.0f);
    m.reset();
    run(m, sine(3.0, 5000));
    ASSERT_LT(m.getGain(), 0.5f);
    m.reset();
    EXPECT_EQ(m.getGain(), 1.0f);
    EXPECT_EQ(m.getSmoothedGain(), 1.0f);
    EXPECT_EQ(m.getGainSlope(), 0.0f);
    EXPECT_EQ(m.getInputGain(), static_cast<float>(std::exp(10.0 * 0.11512925464970228)));
    EXPECT_EQ(m.getRecoveryTime(), 1.0);
    // History and rings are empty again: silence stays silent with no planned reduction.
    for (const Frame& f : run(m, std::vector<float>(1000, 0.0f))) {
        ASSERT_EQ(f.gain, 1.0f);
        ASSERT_EQ(f.left, kResidual);
    }
}

} // namespace
