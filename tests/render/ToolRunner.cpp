#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace rendertest {

ToolRun runTool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{RENDER_TOOL};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return test_support::runCommand(command);
}

double peakDb(const Sound& sound)
{
    float peak = 0.0f;
    for (float v : sound.samples)
        peak = std::max(peak, std::fabs(v));
    return 20.0 * std::log10(std::max(peak, 1e-12f));
}

Sound testSignal(int channels, int64_t frames, double peak, int rate)
{
    Sound sound;
    sound.rate = rate;
    sound.channels = channels;
    sound.samples.resize(static_cast<size_t>(frames * channels));
    uint32_t noise = 12345;
    for (int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double n = static_cast<double>(noise >> 8) / 16777216.0 - 0.5;
            const double v = 0.9 * std::sin(2.0 * M_PI * (220.0 + 110.0 * c) * f / rate) + 0.1 * n;
            sound.samples[static_cast<size_t>(f * channels + c)] = static_cast<float>(peak * v);
        }
    }
    return sound;
}

} // namespace rendertest
