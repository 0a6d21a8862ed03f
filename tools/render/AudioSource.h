// Where the rendered audio comes from: a sound file (any format libsndfile reads), standard
// input, or the built-in demo.
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
    // Throws RenderError when the data cannot be read or ends before the header said.
    virtual int64_t read(float* interleaved, int64_t count) = 0;
    // Back to the first frame, for another render of the same input.
    virtual void rewind() = 0;
    virtual std::string describe() const = 0;

    // Lowest and highest sample rate the host accepts.
    static constexpr int minRate = 8000;
    static constexpr int maxRate = 768000;

    // Throws RenderError naming the problem: missing, unreadable, empty, truncated, odd rate.
    // "-" reads standard input (whole, before the render).
    static std::unique_ptr<AudioSource> openFile(const std::string& path);
    static std::unique_ptr<AudioSource> demo();
};

// The frames a WAV or AIFF header promises when the file holds fewer (libsndfile's parse
// log of such a file); 0 when the log shows no shortfall. Exposed for the tests.
int64_t promisedFrames(const std::string& parseLog, int64_t framesHeld);

} // namespace render
