#include "AudioSource.h"

#include "DemoSignal.h"
#include "RenderError.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace render {

namespace {

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
    std::string describe() const override { return path; }

private:
    SNDFILE* file;
    SF_INFO info;
    std::string path;
    int64_t position = 0;
};

class DemoSource : public AudioSource {
public:
    DemoSource() : samples(DemoSignal::generate()) {}
    int channels() const override { return 2; }
    int rate() const override { return DemoSignal::rate; }
    int64_t frames() const override { return static_cast<int64_t>(samples.size() / 2); }
    int64_t read(float* interleaved, int64_t count) override
    {
        const int64_t n = std::min(count, frames() - position);
        if (n <= 0)
            return 0;
        std::copy(samples.begin() + 2 * position, samples.begin() + 2 * (position + n), interleaved);
        position += n;
        return n;
    }
    std::string describe() const override { return "built-in demo"; }

private:
    std::vector<float> samples;
    int64_t position = 0;
};

} // namespace

std::unique_ptr<AudioSource> AudioSource::openFile(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        throw RenderError("cannot open input '" + path + "': " + std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        throw RenderError("input '" + path + "' is a folder, not a sound file");
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw RenderError("input '" + path + "' is not a readable sound file (" + sf_strerror(nullptr) + ")");
    std::unique_ptr<AudioSource> source(new FileSource(file, info, path));
    if (info.channels < 1)
        throw RenderError("input '" + path + "' has no channels");
    if (info.frames <= 0)
        throw RenderError("input '" + path + "' holds no audio");
    if (info.samplerate < minRate || info.samplerate > maxRate)
        throw RenderError("input '" + path + "' has a sample rate of " + std::to_string(info.samplerate) +
                          " Hz; supported are " + std::to_string(minRate) + " to " + std::to_string(maxRate) + " Hz");
    return source;
}

std::unique_ptr<AudioSource> AudioSource::demo()
{
    return std::unique_ptr<AudioSource>(new DemoSource());
}

} // namespace render
