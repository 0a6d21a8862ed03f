// Guards the build flags that keep every float rounding the source writes. GCC's vectorizers
// may pair two statements of this shape and keep the pair in double between the multiply and
// the add; the leveling arithmetic is full of such pairs. This file is built with the
// project's own flags, so it fails the moment those flags stop preventing that.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

struct Pair {
    float a, b;
    double k;
};

// Two independent lanes, each rounded to float after the multiply and again after the add.
__attribute__((noinline)) void step(Pair& s)
{
    float x = static_cast<float>(static_cast<double>(s.a) * s.k);
    float y = static_cast<float>(static_cast<double>(s.b) * s.k);
    s.a = static_cast<float>(static_cast<double>(x) + 1e-24);
    s.b = static_cast<float>(static_cast<double>(y) + 1e-24);
}

// The same lane with every rounding forced through memory, which no optimisation may skip.
float referenceLane(double k, int steps)
{
    volatile float v = 0.0f;
    for (int i = 0; i < steps; ++i) {
        volatile float x = static_cast<float>(static_cast<double>(v) * k);
        v = static_cast<float>(static_cast<double>(x) + 1e-24);
    }
    return v;
}

uint32_t bitsOf(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

TEST(RoundingCanary, PairedStatementsKeepEveryRounding)
{
    volatile double k = 0.99947800814617549; // volatile: computed at run time, not folded
    Pair s{0.0f, 0.0f, k};
    for (int i = 0; i < 16; ++i)
        step(s);

    const float expected = referenceLane(k, 16);
    EXPECT_EQ(bitsOf(expected), bitsOf(1.59375131e-23f)); // the correctly rounded value
    EXPECT_EQ(bitsOf(s.a), bitsOf(expected)) << "lane a: " << s.a;
    EXPECT_EQ(bitsOf(s.b), bitsOf(expected)) << "lane b: " << s.b;
}

} // namespace
