// What orvanne-render writes: the container and sample encoding, the final quantisation
// (with TPDF dither for 16 and 24 bits) and the sound file itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

typedef struct sf_private_tag SNDFILE;

namespace render {

struct OutputFormat {
    enum Container { Wav, Flac };
    Container container = Wav;
    int bits = 32; // 16 or 24 (integer PCM), or 32 (float, WAV only)
    bool dither = true;

    bool isFloat() const { return bits == 32; }
    std::string describe() const; // "24-bit WAV, TPDF dither"
    std::string name() const;     // "wav-24", as --format takes it
    std::string extension() const { return container == Flac ? ".flac" : ".wav"; }
};

// "wav-16", "wav-24", "wav-float", "flac-16", "flac-24" (and "wav", "flac", "float", "16",
// "24" as short forms). Throws RenderError.
OutputFormat parseFormat(const std::string& text);

// Rounds float samples to the output's integer grid, TPDF dither added before rounding.
// The dither sequence starts afresh at reset(), so a file's bits depend only on its audio.
class Quantizer {
public:
    explicit Quantizer(const OutputFormat& format) : format(format) { reset(); }
    void reset();
    // Quantises in place (the values written, as floats, for metering) and fills `codes`
    // with the integers libsndfile takes (left-justified in 32 bits). Float output passes.
    void apply(float* interleaved, int* codes, int64_t samples);

private:
    uint32_t next();
    OutputFormat format;
    uint32_t state = 1;
};

// WAV data larger than this is written as RF64 (4 GiB less some room for the header).
// ORVANNE_RENDER_RF64_LIMIT (bytes) overrides it, so tests can reach it with small files.
int64_t rf64Limit();

// A sound file being written on an open descriptor (a temporary file or standard output).
class SoundSink {
public:
    // `expectedFrames` decides between WAV and RF64. Throws RenderError.
    SoundSink(int descriptor, bool closeDescriptor, const OutputFormat& format, int rate, int channels,
              int64_t expectedFrames);
    ~SoundSink();
    SoundSink(const SoundSink&) = delete;
    SoundSink& operator=(const SoundSink&) = delete;

    void write(const float* interleaved, const int* codes, int64_t frames);
    void finish(); // throws RenderError
    bool isRf64() const { return rf64; }

private:
    void writeBytes(const void* data, size_t size);
    OutputFormat format;
    SNDFILE* file = nullptr;
    int channelCount = 0;
    int stream = -1; // a pipe: the WAV header is written first, from the expected length
    bool closeStream = false;
    bool rf64 = false;
};

} // namespace render
