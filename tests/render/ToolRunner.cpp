#include "ToolRunner.h"

#include "Analysis.h"
#include "LcgNoise.h"

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
    test_support::Lcg noise{12345};
    for (int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double n = 0.5 * noise.uniformDouble();
            const double v = 0.9 * std::sin(2.0 * M_PI * (220.0 + 110.0 * c) * f / rate) + 0.1 * n;
            sound.samples[static_cast<size_t>(f * channels + c)] = static_cast<float>(peak * v);
        }
    }
    return sound;
}

Sound programme(Programme kind, double seconds, int rate)
{
    const int64_t frames = static_cast<int64_t>(seconds * rate);
    Sound sound = testSignal(2, frames, 1.0, rate);
    for (int64_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / rate;
        for (int c = 0; c < 2; ++c) {
            float& v = sound.samples[static_cast<size_t>(f * 2 + c)];
            switch (kind) {
            case Programme::Speech: // 250 ms syllables with pauses, the noise shaped by a slow envelope
                v *= static_cast<float>(std::fmod(t, 0.45) < 0.25 ? 0.5 * std::sin(M_PI * std::fmod(t, 0.45) / 0.25)
                                                                  : 0.0);
                break;
            case Programme::Dense: // the noise much louder than the tones
                v = static_cast<float>(0.3 * v +
                                       2.5 * (v - 0.9 * std::sin(2.0 * M_PI * (220.0 + 110.0 * c) * f / rate)));
                break;
            case Programme::Sweep: // 40 Hz to 12 kHz, exponential
                v = static_cast<float>(
                    0.5 *
                    std::sin(2.0 * M_PI * 40.0 * seconds / std::log(300.0) * (std::pow(300.0, t / seconds) - 1.0)));
                break;
            case Programme::Clicks: // -60 dBFS hiss with a full-scale click every half second
                v = static_cast<float>(0.001 * v + (f % (rate / 2) < 4 ? 0.9 : 0.0));
                break;
            }
        }
    }
    return sound;
}

namespace {

render::LoudnessMeter& measured(render::LoudnessMeter& meter, const Sound& sound)
{
    meter.add(sound.samples.data(), static_cast<size_t>(sound.frames()));
    return meter;
}

} // namespace

double loudnessOf(const Sound& sound)
{
    render::LoudnessMeter meter(sound.channels, sound.rate);
    return measured(meter, sound).integratedLufs();
}

double truePeakOf(const Sound& sound)
{
    render::LoudnessMeter meter(sound.channels, sound.rate);
    return measured(meter, sound).truePeakDb();
}

} // namespace rendertest
