// Shared helpers of the binary-interface tests: where the plug-in is, loading it through
// the host library, and the deterministic test signal.
#pragma once

#include "LcgNoise.h"
#include "PluginHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace iface {

// A path given by the build (a Unix path) as the running program must open it: under Wine,
// Unix paths live on drive Z:.
inline std::string nativePath(std::string path)
{
#if defined(_WIN32)
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
#endif
    return path;
}

inline std::string pluginPath()
{
    return nativePath(ORVANNE_PLUGIN_PATH);
}

// Loads the plug-in as a host does; a failure stops the calling test with the reason.
inline std::unique_ptr<vsthost::PluginHost> loadPlugin(VstIntPtr hostVersion = 2400)
{
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(pluginPath(), error, hostVersion);
    EXPECT_TRUE(host != nullptr) << error;
    return host;
}

// Deterministic stereo material from integer and exact floating-point steps only, so every
// build produces the same bits: a 32-bit linear congruential noise plus a slow quadrature
// oscillator (no library mathematics, whose last bits differ between runtimes).
class TestSignal {
public:
    TestSignal(uint32_t seed, double noiseLevel, double toneLevel, double toneStep)
        : lcg{seed}, noise(noiseLevel), tone(toneLevel), step(toneStep)
    {
    }

    void fill(float* left, float* right, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            left[i] = static_cast<float>(tone * x + noise * lcg.uniformDouble());
            right[i] = static_cast<float>(tone * y + noise * lcg.uniformDouble());
            x += step * y;
            y -= step * x;
        }
    }

private:
    test_support::Lcg lcg;
    double noise, tone, step;
    double x = 1.0, y = 0.0;
};

// Stereo buffers of one block, in the pointer arrays processReplacing takes.
struct StereoBlock {
    explicit StereoBlock(int frames) : inL(frames), inR(frames), outL(frames), outR(frames) {}
    float* in[2] = {nullptr, nullptr};
    float* out[2] = {nullptr, nullptr};
    std::vector<float> inL, inR, outL, outR;
    float** inputs()
    {
        in[0] = inL.data();
        in[1] = inR.data();
        return in;
    }
    float** outputs()
    {
        out[0] = outL.data();
        out[1] = outR.data();
        return out;
    }
};

} // namespace iface
