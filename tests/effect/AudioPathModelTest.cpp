// The leveling loop against a frame-by-frame model of it: a twin effect's engine driven one
// process() call per frame, and the five meters written out from their definitions. The loop
// takes shortcuts (chunks, meters stepped a chunk behind, resting meters left alone, guards
// skipped where they change nothing), so every output bit and meter value is compared over
// material that reaches each of them: loud and quiet program, long silence, denormals, NaN and
// infinity, odd block sizes, in-place and mono buffers, and rate changes.
#include "EffectTestSupport.h"
#include "LcgNoise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

uint32_t bitsOf(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

float guard(float x)
{
    const float up = static_cast<float>(static_cast<double>(x) + 1e-18);
    return static_cast<float>(static_cast<double>(up) - 1e-18);
}

// The meters as defined: select, decay, then the 1e-24 offset added every frame.
struct MeterModel {
    float peak[2] = {0.0f, 0.0f};
    float over[2] = {0.0f, 0.0f};
    float reduction = 0.0f;

    void clear() { peak[0] = peak[1] = over[0] = over[1] = reduction = 0.0f; }

    double peakFall = 0.0, overFall = 0.0, reductionFall = 0.0;

    // 20 dB in 0.1 s, 3 s and 3.5 s at the effect's rate.
    void setRate(VstInt32 rateHz)
    {
        const double rate = rateHz;
        peakFall = 1.0 / std::pow(10.0, 1.0 / (rate * 0.1));
        overFall = 1.0 / std::pow(10.0, 1.0 / (rate * 3.0));
        reductionFall = 1.0 / std::pow(10.0, 1.0 / (rate * 3.5));
    }

    void frame(float gain, const float out[2])
    {
        const float r = std::fabs(static_cast<float>(1.0 - static_cast<double>(gain)));
        reduction = reduction < r ? r : static_cast<float>(reduction * reductionFall);
        for (int c = 0; c < 2; ++c) {
            const float a = std::fabs(out[c]);
            peak[c] = peak[c] < a ? a : static_cast<float>(peak[c] * peakFall);
            over[c] = a >= 1.0 ? a : static_cast<float>(over[c] * overFall);
            peak[c] = static_cast<float>(static_cast<double>(peak[c]) + 1e-24);
            over[c] = static_cast<float>(static_cast<double>(over[c]) + 1e-24);
        }
    }
};

class AudioPathModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        effect = createTestEffect();
        twin = createTestEffect();
        ASSERT_NE(effect, nullptr);
        ASSERT_NE(twin, nullptr);
    }
    void TearDown() override
    {
        delete effect;
        delete twin;
    }

    void setParameter(VstInt32 index, float value)
    {
        effect->setParameter(index, value);
        twin->setParameter(index, value);
    }
    void setSampleRate(float rate)
    {
        effect->setSampleRate(rate);
        twin->setSampleRate(rate);
    }
    // Power off and on again: both effects clear their meters and reset their engines, the
    // effect at its next block and the twin, whose engine the test steps directly, now.
    void restart()
    {
        setParameter(kParamPower, 1.0f);
        setParameter(kParamPower, 0.0f);
        twin->suspend();
        model.clear();
    }

    // Runs the block through the effect (inputCount/outputCount as the host passes them, or
    // in place) and the model, and compares outputs and meters.
    void block(const std::vector<float>& left, const std::vector<float>& right, VstInt32 inputCount = 2,
               VstInt32 outputCount = 2, bool inPlace = false)
    {
        const size_t n = left.size();
        std::vector<float> inL(left), inR(right), outL(n, -7.0f), outR(n, -7.0f);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {inPlace ? inL.data() : outL.data(), inPlace ? inR.data() : outR.data()};
        effect->processBlock(inputs, outputs, static_cast<VstInt32>(n), inputCount, outputCount);

        CMaximizer& engine = twin->getEngine();
        model.setRate(twin->getRateHz());
        for (size_t i = 0; i < n; ++i) {
            const float a = guard(left[i]);
            const float b = inputCount == 2 ? guard(right[i]) : a;
            float out[2];
            const float g = engine.process(a, b, out[0], out[1]);
            model.frame(g, out);
            ASSERT_EQ(bitsOf(outputs[0][i]), bitsOf(out[0])) << "left, frame " << frames + i;
            if (outputCount == 2) {
                ASSERT_EQ(bitsOf(outputs[1][i]), bitsOf(out[1])) << "right, frame " << frames + i;
            } else {
                ASSERT_EQ(bitsOf(outR[i]), bitsOf(-7.0f)) << "untouched second output";
            }
        }
        frames += n;
        expectMeters();
    }

    void expectMeters()
    {
        EXPECT_EQ(bitsOf(effect->getMeterReading(kReadingOutLeft)), bitsOf(CTarvelleVST::levelReading(model.peak[0])))
            << "after " << frames;
        EXPECT_EQ(bitsOf(effect->getMeterReading(kReadingOutRight)), bitsOf(CTarvelleVST::levelReading(model.peak[1])))
            << "after " << frames;
        EXPECT_EQ(bitsOf(effect->getMeterReading(kReadingOverLeft)), bitsOf(model.over[0])) << "after " << frames;
        EXPECT_EQ(bitsOf(effect->getMeterReading(kReadingOverRight)), bitsOf(model.over[1])) << "after " << frames;
        EXPECT_EQ(bitsOf(effect->getMeterReading(kReadingGainReduction)),
                  bitsOf(CTarvelleVST::reductionReading(model.reduction)))
            << "after " << frames;
    }

    // Program material from an integer generator: bass, low-passed noise and bursts, scaled.
    void program(std::vector<float>& left, std::vector<float>& right, size_t n, float scale)
    {
        left.resize(n);
        right.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t step = lcg.next();
            const float noise = test_support::Lcg::uniformOf(step);
            phase += 0.0123f;
            if (phase >= 1.0f)
                phase -= 2.0f;
            low = 0.95f * low + 0.05f * noise;
            if ((step >> 22) == 0)
                burst = 3.0f;
            burst = burst * 0.999f + 0.001f;
            left[i] = scale * burst * (0.6f * phase + 4.0f * low);
            right[i] = scale * burst * (0.5f * phase - 3.0f * low) + 0.01f * scale * noise;
        }
    }

    // Feeds `total` frames of program in blocks cycling through `sizes`.
    void feed(size_t total, float scale, const std::vector<size_t>& sizes)
    {
        std::vector<float> left, right;
        for (size_t done = 0, k = 0; done < total; ++k) {
            const size_t n = std::min(sizes[k % sizes.size()], total - done);
            program(left, right, n, scale);
            block(left, right);
            if (HasFatalFailure())
                return;
            done += n;
        }
    }

    CTarvelleVST* effect = nullptr;
    CTarvelleVST* twin = nullptr;
    MeterModel model;
    size_t frames = 0;
    test_support::Lcg lcg{99u};
    float phase = 0.0f, low = 0.0f, burst = 1.0f;
};

TEST_F(AudioPathModelTest, ProgramQuietPassagesAndSilenceInOddBlocks)
{
    const std::vector<size_t> sizes = {512, 1, 3, 31, 32, 33, 64, 4097, 333, 2, 100, 200};
    feed(60000, 1.0f, sizes);
    setParameter(kParamInputThres, 0.8f);
    setParameter(kParamRecovery, 1.0f);
    feed(40000, 1.0f, sizes);
    setParameter(kParamOutCeiling, 0.3f);
    feed(30000, 0.01f, sizes);
    // Long enough for every meter to settle at its floor, then loud again with overs.
    setParameter(kParamOutCeiling, 0.6f);
    feed(420000, 0.0f, {4096, 512, 37});
    feed(20000, 2.0f, sizes);
    feed(400000, 0.0f, {512});
    feed(5000, 1.0f, {256});
}

TEST_F(AudioPathModelTest, TinyNotANumberAndInfiniteInputs)
{
    std::vector<float> left(700), right(700);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = (i % 3 == 0) ? 1e-40f : -1e-20f;
        right[i] = (i % 5 == 0) ? 0.0f : 3e-9f;
    }
    block(left, right);
    left[100] = 5.0f;
    right[200] = -1e30f;
    block(left, right);
    left[300] = std::numeric_limits<float>::infinity();
    right[301] = -std::numeric_limits<float>::infinity();
    block(left, right);
    left[50] = std::nanf("");
    right[51] = std::nanf("");
    block(left, right);
    restart();
    std::vector<float> l2, r2;
    program(l2, r2, 3000, 1.5f);
    r2[10] = std::nanf("");
    block(l2, r2);
}

TEST_F(AudioPathModelTest, MonoInPlaceAndRateChanges)
{
    std::vector<float> left, right;
    program(left, right, 5000, 1.5f);
    block(left, right, 1, 2);
    program(left, right, 5000, 1.5f);
    block(left, right, 2, 1);
    program(left, right, 5000, 1.5f);
    block(left, right, 2, 2, true);
    setSampleRate(48000.0f);
    restart();
    feed(30000, 1.5f, {480, 7, 100});
    setSampleRate(96000.0f);
    feed(30000, 1.5f, {1024, 5});
    feed(450000, 0.0f, {2048});
    setSampleRate(44100.0f);
    feed(20000, 1.0f, {512});
}

} // namespace
