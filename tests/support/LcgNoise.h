// The one noise generator of the loud test material (tests, benchmarks and the render tool's
// demo): a linear congruential generator, integer steps only, so every build on every machine
// makes the same samples. The scalings below are exact (powers of two), so a value is the same
// whichever form a caller takes it in.
#pragma once

#include <cstdint>

namespace test_support {

struct Lcg {
    uint32_t state;

    uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    // Uniform in [-1, 1), as float, from the next step or from a step already taken.
    float uniform() { return uniformOf(next()); }
    static float uniformOf(uint32_t step)
    {
        return static_cast<float>(static_cast<int32_t>(step >> 8) - (1 << 23)) / 8388608.0f;
    }
    // Uniform in [-1, 1), as double.
    double uniformDouble() { return static_cast<double>(next() >> 8) / 8388608.0 - 1.0; }
    // Uniform in [0, 1), as float, from the next step or from a step already taken.
    float unit() { return unitOf(next()); }
    static float unitOf(uint32_t step) { return static_cast<float>(step >> 8) / 16777216.0f; }
};

} // namespace test_support
