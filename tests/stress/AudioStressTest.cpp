// The audio path as a demanding host drives it: any block size, bad samples, many rates.
#include "StressSupport.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

using stress::Output;
using stress::Programme;
using vsthost::PluginHost;

namespace {

struct Setting {
    const char* name;
    float thres, ceiling, recovery, power;
};

// Leveling at two recovery speeds (with and without the ceiling pulling down) and the bypass.
const Setting kSettings[] = {
    {"leveling", 0.8f, 0.5f, 0.0f, 0.0f},
    {"slow-low-ceiling", 0.65f, 0.3f, 1.0f, 0.0f},
    {"bypass", 0.8f, 0.5f, 0.5f, 1.0f},
};

void apply(PluginHost& host, const Setting& setting)
{
    host.setParameter(2, setting.thres);
    host.setParameter(3, setting.ceiling);
    host.setParameter(4, setting.recovery);
    host.setParameter(1, setting.power);
}

Output renderWith(const Programme& in, const Setting& setting, std::function<int(size_t)> blockSize)
{
    std::unique_ptr<PluginHost> host = stress::loadPlugin();
    if (!host)
        return {};
    host->start(44100.0f, 4096);
    apply(*host, setting);
    return stress::render(*host, in, blockSize);
}

TEST(AudioStress, AnyBlockSizeGivesTheBitsOf512FrameBlocks)
{
    const Programme in(60000, 0x51ce);
    for (const Setting& setting : kSettings) {
        SCOPED_TRACE(setting.name);
        const Output reference = renderWith(in, setting, [](size_t) { return 512; });

        std::mt19937 random(0xb10c);
        std::uniform_int_distribution<int> size(1, 4096);
        const Output randomBlocks = renderWith(in, setting, [&](size_t) { return size(random); });
        EXPECT_TRUE(randomBlocks == reference)
            << "first difference at " << stress::firstDifference(randomBlocks, reference);

        const Output singleFrames = renderWith(in, setting, [](size_t) { return 1; });
        EXPECT_TRUE(singleFrames == reference)
            << "first difference at " << stress::firstDifference(singleFrames, reference);
    }
}

bool allFinite(const float* samples, size_t count)
{
    return std::all_of(samples, samples + count, [](float v) { return std::isfinite(v); });
}

// Bursts of not-a-number, infinities and denormals inside loud material: once a burst has
// passed through the look-ahead the output is finite again, and the meters never stop being
// finite numbers.
TEST(AudioStress, BadSampleBurstsPassWithinTheLookAhead)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float denormal = std::numeric_limits<float>::denorm_min() * 77.0f;
    const struct Burst {
        const char* name;
        float left, right;
        int frames;
    } bursts[] = {
        {"nan", nan, nan, 300},   {"nan-one-side", nan, 0.5f, 64},          {"+inf", inf, inf, 1},
        {"-inf", -inf, inf, 700}, {"denormals", denormal, -denormal, 3000}, {"nan-single-frame", 0.2f, nan, 1},
    };
    for (const Setting& setting : kSettings) {
        for (const Burst& burst : bursts) {
            SCOPED_TRACE(std::string(setting.name) + " / " + burst.name);
            std::unique_ptr<PluginHost> host = stress::loadPlugin();
            ASSERT_TRUE(host);
            host->start(44100.0f, 512);
            apply(*host, setting);
            const size_t latency = static_cast<size_t>(host->latency());

            Programme in(40000, 0xbad);
            const size_t start = 13000; // inside a loud stretch
            for (int i = 0; i < burst.frames; ++i) {
                in.left[start + i] = burst.left;
                in.right[start + i] = burst.right;
            }
            const size_t end = start + static_cast<size_t>(burst.frames);
            Output out{std::vector<float>(in.frames()), std::vector<float>(in.frames())};
            for (size_t position = 0; position < in.frames(); position += 500) {
                const size_t frames = std::min<size_t>(500, in.frames() - position);
                float* inputs[2] = {&in.left[position], &in.right[position]};
                float* outputs[2] = {&out.left[position], &out.right[position]};
                host->processReplacing(inputs, outputs, static_cast<VstInt32>(frames));
                for (VstInt32 reading = 11; reading <= 15; ++reading)
                    ASSERT_TRUE(std::isfinite(host->getParameter(reading)))
                        << "meter " << reading << " after frame " << position + frames;
            }
            EXPECT_TRUE(allFinite(out.left.data(), start)) << "before the burst";
            const size_t clear = end + latency;
            EXPECT_TRUE(allFinite(&out.left[clear], out.left.size() - clear));
            EXPECT_TRUE(allFinite(&out.right[clear], out.right.size() - clear));
        }
    }
}

// At every rate a host may set, an impulse comes out exactly initialDelay frames later, in
// the leveling path and in the bypass.
TEST(AudioStress, ImpulseDelayEqualsInitialDelayAtEveryRate)
{
    const float rates[] = {8000.0f,   22050.0f,  44100.0f,  48000.0f,  88200.0f,  96000.0f,
                           176400.0f, 192000.0f, 352800.0f, 384000.0f, 768000.0f, 44100.0f};
    for (float power : {0.0f, 1.0f}) {
        std::unique_ptr<PluginHost> host = stress::loadPlugin();
        ASSERT_TRUE(host);
        host->start(44100.0f, 1024);
        host->setParameter(1, power);
        for (float rate : rates) {
            SCOPED_TRACE("rate " + std::to_string(rate) + (power > 0.5f ? " bypass" : " leveling"));
            // The rate changes as hosts change it: suspended, new rate, resumed.
            host->stop();
            host->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
            host->dispatch(effMainsChanged, 0, 1);
            const VstInt32 latency = host->latency();
            ASSERT_GT(latency, 0);

            // Silence long enough to flush the previous rate's delay line, then the impulse.
            const size_t frames = static_cast<size_t>(2 * latency) + 5000;
            std::vector<float> left(frames, 0.0f), right(frames, 0.0f), outL(frames), outR(frames);
            const size_t at = static_cast<size_t>(latency) + 1000;
            left[at] = 0.25f;
            right[at] = -0.25f;
            host->processStereo(left.data(), right.data(), outL.data(), outR.data(), static_cast<VstInt32>(frames));
            // Silence comes out as silence or the paths' tiny guard residue, far below this.
            size_t first = 0;
            while (first < frames && std::fabs(outL[first]) < 1e-6f)
                ++first;
            ASSERT_LT(first, frames) << "no impulse came out";
            EXPECT_EQ(first - at, static_cast<size_t>(latency));
            EXPECT_NEAR(outL[first], 0.25f, 1e-6f);
            EXPECT_NEAR(outR[first], -0.25f, 1e-6f);
        }
    }
}

} // namespace
