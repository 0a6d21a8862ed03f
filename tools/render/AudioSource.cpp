#include "AudioSource.h"

#include "DemoSignal.h"
#include "RenderError.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace render {

namespace {

std::string seconds(int64_t frames, int rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(frames) / rate);
    return text;
}

class FileSource : public AudioSource {
public:
    FileSource(SNDFILE* file, const SF_INFO& info, const std::string& path) : file(file), info(info), path(path) {}
    ~FileSource() override { sf_close(file); }

    int channels() const override { return info.channels; }
    int rate() const override { return info.samplerate; }
    int64_t frames() const override { return info.frames; }
    int64_t read(float* interleaved, int64_t count) override
    {
        const int64_t want = std::min(count, info.frames - position);
        if (want <= 0)
            return 0;
        const sf_count_t got = sf_readf_float(file, interleaved, want);
        if (got < want) {
            // The header promised more than the data holds.
            throw RenderError("input '" + path + "' is truncated or corrupt (read " +
                              std::to_string(position + std::max<sf_count_t>(got, 0)) + " of " +
                              std::to_string(info.frames) + " frames)");
        }
        position += got;
        return got;
    }
    void rewind() override
    {
        if (sf_seek(file, 0, SEEK_SET) != 0)
            throw RenderError("input '" + path + "' cannot be read a second time (not seekable)");
        position = 0;
    }
    std::string describe() const override { return path; }

private:
    SNDFILE* file;
    SF_INFO info;
    std::string path;
    int64_t position = 0;
};

class MemorySource : public AudioSource {
public:
    MemorySource(std::vector<float> samples, int channelCount, int sampleRate, std::string name)
        : samples(std::move(samples)), channelCount(channelCount), sampleRate(sampleRate), name(std::move(name))
    {
    }
    int channels() const override { return channelCount; }
    int rate() const override { return sampleRate; }
    int64_t frames() const override { return static_cast<int64_t>(samples.size()) / channelCount; }
    int64_t read(float* interleaved, int64_t count) override
    {
        const int64_t n = std::min(count, frames() - position);
        if (n <= 0)
            return 0;
        std::copy(samples.begin() + channelCount * position, samples.begin() + channelCount * (position + n),
                  interleaved);
        position += n;
        return n;
    }
    void rewind() override { position = 0; }
    std::string describe() const override { return name; }

private:
    std::vector<float> samples;
    int channelCount;
    int sampleRate;
    std::string name;
    int64_t position = 0;
};

void checkFormat(const std::string& path, const SF_INFO& info)
{
    if (info.channels < 1)
        throw RenderError("input '" + path + "' has no channels");
    if (info.samplerate < AudioSource::minRate || info.samplerate > AudioSource::maxRate)
        throw RenderError("input '" + path + "' has a sample rate of " + std::to_string(info.samplerate) +
                          " Hz; supported are " + std::to_string(AudioSource::minRate) + " to " +
                          std::to_string(AudioSource::maxRate) + " Hz");
}

// Reads a whole stream whose length the header does not give.
std::unique_ptr<AudioSource> readWhole(SNDFILE* file, const SF_INFO& info, const std::string& name)
{
    std::vector<float> samples;
    std::vector<float> block(static_cast<size_t>(4096) * info.channels);
    sf_count_t got;
    while ((got = sf_readf_float(file, block.data(), 4096)) > 0)
        samples.insert(samples.end(), block.begin(), block.begin() + got * info.channels);
    sf_close(file);
    const int64_t held = static_cast<int64_t>(samples.size()) / info.channels;
    const std::string what = name == "-" ? "standard input" : "input '" + name + "'";
    if (info.frames > 0 && info.frames != SF_COUNT_MAX && held < info.frames)
        throw RenderError(what + " is truncated: its header promises " + seconds(info.frames, info.samplerate) +
                          ", it holds " + seconds(held, info.samplerate));
    if (held == 0)
        throw RenderError(what + " holds no audio");
    return std::unique_ptr<AudioSource>(new MemorySource(std::move(samples), info.channels, info.samplerate, name));
}

std::unique_ptr<AudioSource> readStandardInput()
{
    SF_INFO info = {};
    SNDFILE* file = sf_open_fd(STDIN_FILENO, SFM_READ, &info, SF_FALSE);
    if (!file)
        throw RenderError(std::string("standard input is not a readable sound stream (") + sf_strerror(nullptr) + ")");
    checkFormat("-", info);
    return readWhole(file, info, "-");
}

// The number after `key` up to the next blank or parenthesis.
bool numberAfter(const std::string& line, const std::string& key, int64_t& value)
{
    const size_t at = line.find(key);
    if (at == std::string::npos)
        return false;
    char* end = nullptr;
    const char* start = line.c_str() + at + key.size();
    const long long parsed = std::strtoll(start, &end, 10);
    if (end == start)
        return false;
    value = parsed;
    return true;
}

} // namespace

int64_t promisedFrames(const std::string& parseLog, int64_t framesHeld)
{
    std::istringstream lines(parseLog);
    std::string line;
    while (std::getline(lines, line)) {
        int64_t frames = 0, promised = 0, actual = 0;
        // AIFF: the frame count of the COMM chunk against what the SSND chunk holds.
        if (line.find("Frame count read from 'COMM' chunk") != std::string::npos &&
            numberAfter(line, "chunk (", frames) && frames > framesHeld)
            return frames;
        // WAV and RF64: the data chunk's size against the bytes the file has.
        if (line.compare(0, 6, "data :") == 0 && numberAfter(line, "data :", promised) &&
            numberAfter(line, "should be", actual)) {
            // Streaming writers leave 0 or all ones when they cannot seek back.
            if (promised == 0 || promised == 0xFFFFFFFFLL || promised == 0x7FFFFFFFLL || actual <= 0 ||
                promised <= actual)
                continue;
            return static_cast<int64_t>(static_cast<double>(framesHeld) * promised / actual + 0.5);
        }
    }
    return 0;
}

std::unique_ptr<AudioSource> AudioSource::openFile(const std::string& path)
{
    if (path == "-")
        return readStandardInput();
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        throw RenderError("cannot open input '" + path + "': " + std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        throw RenderError("input '" + path + "' is a folder, not a sound file");
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw RenderError("input '" + path + "' is not a readable sound file (" + sf_strerror(nullptr) + ")");
    if (info.frames == SF_COUNT_MAX && (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC) {
        try {
            checkFormat(path, info);
        } catch (...) {
            sf_close(file);
            throw;
        }
        return readWhole(file, info, path);
    }
    std::unique_ptr<AudioSource> source(new FileSource(file, info, path));
    checkFormat(path, info);
    // A FLAC stream written to a pipe leaves its length out; a file of another format
    // whose end cannot be found (an Ogg file cut short) is damaged.
    if (info.frames == SF_COUNT_MAX || info.frames < 0)
        throw RenderError("input '" + path + "' is truncated or corrupt: its length cannot be read");
    if (info.frames == 0)
        throw RenderError("input '" + path + "' holds no audio");
    char log[8192] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
    const int64_t promised = promisedFrames(log, info.frames);
    if (promised > 0)
        throw RenderError("input '" + path + "' is truncated: its header promises " +
                          seconds(promised, info.samplerate) + ", the file holds " +
                          seconds(info.frames, info.samplerate));
    return source;
}

std::unique_ptr<AudioSource> AudioSource::demo()
{
    return std::unique_ptr<AudioSource>(new MemorySource(DemoSignal::generate(), 2, DemoSignal::rate, "built-in demo"));
}

} // namespace render
