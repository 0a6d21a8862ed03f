// Shared helpers of the stress tests: loading the plug-in through the host library, loud
// deterministic material, and rendering it in blocks of any size as a host does.
#pragma once

#include "BitExact.h"
#include "LcgNoise.h"
#include "PluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace stress {

inline std::unique_ptr<vsthost::PluginHost> loadPlugin()
{
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(ORVANNE_PLUGIN_PATH, error);
    EXPECT_TRUE(host != nullptr) << error;
    return host;
}

// Stereo programme material from integer steps only: noise under a slow loud/quiet envelope
// reaching about 3x full scale, so the gain both falls and recovers.
struct Programme {
    std::vector<float> left, right;

    Programme(size_t frames, uint32_t seed) : left(frames), right(frames)
    {
        test_support::Lcg noise{seed};
        for (size_t i = 0; i < frames; ++i) {
            const float level = ((i / 6000) % 3 == 0) ? 0.05f : ((i / 6000) % 3 == 1 ? 3.0f : 0.8f);
            left[i] = level * noise.uniform();
            right[i] = level * noise.uniform();
        }
    }
    size_t frames() const { return left.size(); }
};

struct Output {
    std::vector<float> left, right;
    bool operator==(const Output& other) const
    {
        return test_support::firstDifference(left, other.left) < 0 &&
            test_support::firstDifference(right, other.right) < 0;
    }
};

// Renders the whole programme through processReplacing; blockSize(position) chooses each
// block's length (clamped to what is left).
template <typename BlockSize>
Output render(vsthost::PluginHost& host, const Programme& in, BlockSize blockSize)
{
    Output out{std::vector<float>(in.frames()), std::vector<float>(in.frames())};
    size_t position = 0;
    while (position < in.frames()) {
        size_t frames = static_cast<size_t>(blockSize(position));
        if (frames > in.frames() - position)
            frames = in.frames() - position;
        float* inputs[2] = {const_cast<float*>(&in.left[position]), const_cast<float*>(&in.right[position])};
        float* outputs[2] = {&out.left[position], &out.right[position]};
        host.processReplacing(inputs, outputs, static_cast<VstInt32>(frames));
        position += frames;
    }
    return out;
}

// Index of the first frame whose output differs, for messages; -1 when equal.
inline long long firstDifference(const Output& a, const Output& b)
{
    const long long left = test_support::firstDifference(a.left, b.left);
    const long long right = test_support::firstDifference(a.right, b.right);
    return left < 0 ? right : (right < 0 ? left : std::min(left, right));
}

} // namespace stress
