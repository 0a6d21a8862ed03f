#include "ToolRunner.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rendertest {

namespace {

std::string quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string slurp(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

ToolRun runTool(const std::vector<std::string>& arguments)
{
    TempTree capture;
    std::string command = quote(RENDER_TOOL);
    for (const std::string& a : arguments)
        command += " " + quote(a);
    command += " >" + quote(capture.file("out")) + " 2>" + quote(capture.file("err")) + " </dev/null";
    ToolRun run;
    const int status = std::system(command.c_str());
    if (status != -1 && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.out = slurp(capture.file("out"));
    run.err = slurp(capture.file("err"));
    return run;
}

void writeSound(const std::string& path, const Sound& sound, int format)
{
    SF_INFO info = {};
    info.samplerate = sound.rate;
    info.channels = sound.channels;
    info.format = format ? format : (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(sf_writef_float(file, sound.samples.data(), sound.frames()), sound.frames());
    sf_close(file);
}

Sound readSound(const std::string& path, bool floatWav)
{
    Sound sound;
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        ADD_FAILURE() << "cannot read " << path << ": " << sf_strerror(nullptr);
        return sound;
    }
    if (floatWav) {
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    }
    sound.rate = info.samplerate;
    sound.channels = info.channels;
    sound.samples.resize(static_cast<size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_float(file, sound.samples.data(), info.frames), info.frames);
    sf_close(file);
    return sound;
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
