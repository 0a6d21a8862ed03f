// Running orvanne-render from the tests, and the sound files they hand it.
#pragma once

#include "TempTree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rendertest {

struct ToolRun {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string out, err;
};

// Runs the built orvanne-render with the given arguments.
ToolRun runTool(const std::vector<std::string>& arguments);

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
double peakDb(const Sound& sound);

// A test signal: a sine per channel at `peak` linear with a little noise, deterministic.
Sound testSignal(int channels, int64_t frames, double peak, int rate = 44100);

} // namespace rendertest
