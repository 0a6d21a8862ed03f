// Sound files for the tests that run the command-line tools (orvanne-render, lv2apply): write
// the input they read, read back what they wrote. Native only (libsndfile).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

struct Sound {
    int rate = 44100;
    int channels = 2;
    std::vector<float> samples; // interleaved
    int64_t frames() const { return static_cast<int64_t>(samples.size()) / channels; }
    float at(int64_t frame, int channel) const { return samples[static_cast<size_t>(frame * channels + channel)]; }
};

void writeSound(const std::string& path, const Sound& sound, int format = 0); // default 32-bit float WAV
// Fails the test (ADD_FAILURE) when unreadable or, with `floatWav`, not a 32-bit float WAV.
Sound readSound(const std::string& path, bool floatWav = true);

} // namespace test_support
