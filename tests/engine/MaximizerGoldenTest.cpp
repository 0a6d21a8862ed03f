// Output-bit regression: a fixed loud stereo signal with control changes, both paths and a
// rate change. Any change of a single output bit (or returned gain) changes the hash.
// The signal uses only integer and basic float arithmetic, so it is the same on every
// library and every build.
#include "Maximizer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Lcg {
    uint32_t state;
    uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    // Uniform in [-1, 1), exactly representable.
    float uniform() { return static_cast<float>(static_cast<int32_t>(next() >> 8) - (1 << 23)) / 8388608.0f; }
};

struct Fnv1a {
    uint64_t hash = 14695981039346656037ull;
    void add(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int i = 0; i < 4; ++i) {
            hash ^= (bits >> (8 * i)) & 0xffu;
            hash *= 1099511628211ull;
        }
    }
};

// Program-like material: a triangle bass line, low-passed noise and bursts with an
// envelope, up to about 3x full scale.
class Program {
public:
    explicit Program(uint32_t seed) : rng{seed} {}
    void next(float& left, float& right)
    {
        phase += 0.0123f;
        if (phase >= 1.0f)
            phase -= 2.0f;
        const float tri = 2.0f * (phase < 0.0f ? -phase : phase) - 1.0f;
        lowL = 0.95f * lowL + 0.05f * rng.uniform();
        lowR = 0.93f * lowR + 0.07f * rng.uniform();
        if ((rng.next() >> 20) == 0)
            envelope = 3.0f * (0.5f + 0.5f * rng.uniform());
        envelope = envelope * 0.9995f + 0.0002f;
        left = envelope * (0.6f * tri + 4.0f * lowL) + 0.05f * rng.uniform();
        right = envelope * (0.5f * tri - 3.0f * lowR) + 0.05f * rng.uniform();
    }

private:
    Lcg rng;
    float phase = 0.0f;
    float lowL = 0.0f, lowR = 0.0f;
    float envelope = 1.0f;
};

// Renders the fixed session; with `blockSize` > 0 the leveled frames go through
// processBlock() in blocks of that size (control changes fall on multiples of 5000, where a block always ends).
uint64_t renderHash(int blockSize = 0)
{
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.reset();
    Program program(12345u);
    Fnv1a fnv;
    const int total = 200000;
    std::vector<float> inL, inR, outL, outR, gains;
    for (int i = 0; i < total; ++i) {
        switch (i) {
        case 20000:
            m.setParam(0, 0.65f);
            break; // +6 dB input
        case 40000:
            m.setParam(2, 0.2501f);
            break; // Fast
        case 55000:
            m.setParam(5, 0.4f);
            break; // -4 dB output
        case 70000:
            m.setParam(2, 1.0f);
            break; // Ultra-Slow
        case 90000:
            m.setParam(6, 0.0f);
            break; // ceiling off
        case 100000:
            m.setParam(5, 0.6f);
            break; // +4 dB output
        case 110000:
            m.setParam(6, 1.0f);
            break;
        case 120000:
            m.setParam(2, 0.5001f);
            break; // Medium
        case 130000:
            m.setSampleRate(48000.0f);
            m.reset();
            break;
        case 150000:
            m.setParam(0, 0.3f);
            m.setParam(2, 0.7501f);
            break;
        case 170000:
            m.setSampleRate(96000.0f);
            break; // no reset: counters carry over
        default:
            break;
        }
        float a, b, l, r;
        program.next(a, b);
        const bool bypass = (i >= 160000 && i < 165000);
        if (blockSize > 0 && !bypass) {
            inL.push_back(a);
            inR.push_back(b);
            const bool boundary = (i + 1) % 5000 == 0 || i + 1 == total || (i + 1) % blockSize == 0;
            if (boundary) {
                const int32_t n = static_cast<int32_t>(inL.size());
                outL.resize(inL.size());
                outR.resize(inL.size());
                gains.resize(inL.size());
                m.processBlock(inL.data(), inR.data(), outL.data(), outR.data(), gains.data(), n);
                for (int32_t k = 0; k < n; ++k) {
                    fnv.add(outL[static_cast<size_t>(k)]);
                    fnv.add(outR[static_cast<size_t>(k)]);
                    fnv.add(gains[static_cast<size_t>(k)]);
                }
                inL.clear();
                inR.clear();
            }
            continue;
        }
        const float g = bypass ? m.processDelayOnly(a, b, l, r) : m.process(a, b, l, r);
        fnv.add(l);
        fnv.add(r);
        fnv.add(g);
    }
    return fnv.hash;
}

constexpr uint64_t kExpectedHash = 0xe8947fbdc0059ee3ull;

TEST(MaximizerGolden, OutputBitsUnchanged)
{
    const uint64_t actual = renderHash();
    EXPECT_EQ(actual, kExpectedHash) << std::hex << "actual hash 0x" << actual;
}

TEST(MaximizerGolden, BlockPathGivesTheSameBits)
{
    // Odd sizes put re-plans and the 4-frame output groups at every offset.
    for (int blockSize : {1, 3, 64, 67, 100, 200, 512, 4096}) {
        const uint64_t actual = renderHash(blockSize);
        EXPECT_EQ(actual, kExpectedHash) << std::hex << "block " << std::dec << blockSize << ": 0x" << std::hex
                                         << actual;
    }
}

TEST(MaximizerGolden, SignalIsLoudEnoughToLevel)
{
    // Guards the regression above against a signal that never exercises the leveling.
    CMaximizer m(44100.0f);
    m.setParam(6, 1.0f);
    m.reset();
    Program program(12345u);
    float minGain = 1.0f, maxOut = 0.0f;
    for (int i = 0; i < 20000; ++i) {
        float a, b, l, r;
        program.next(a, b);
        const float g = m.process(a, b, l, r);
        minGain = g < minGain ? g : minGain;
        maxOut = l > maxOut ? l : maxOut;
    }
    EXPECT_LT(minGain, 0.5f);
    EXPECT_LE(maxOut, 1.0f);
}

} // namespace
