// Where the rendered audio comes from: a sound file (any format libsndfile reads) or the
// built-in demo.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace render {

class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int channels() const = 0;
    virtual int rate() const = 0;
    virtual int64_t frames() const = 0;
    // Reads up to `count` interleaved frames; answers how many it read (0 at the end).
    // Throws RenderError when the data cannot be read.
    virtual int64_t read(float* interleaved, int64_t count) = 0;
    virtual std::string describe() const = 0;

    // Lowest and highest sample rate the host accepts.
    static constexpr int minRate = 8000;
    static constexpr int maxRate = 768000;

    // Throws RenderError naming the problem: missing, unreadable, empty, odd rate.
    static std::unique_ptr<AudioSource> openFile(const std::string& path);
    static std::unique_ptr<AudioSource> demo();
};

} // namespace render
