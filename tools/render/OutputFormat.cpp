#include "OutputFormat.h"

#include "RenderError.h"

#include <sndfile.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace render {

std::string OutputFormat::name() const
{
    return std::string(container == Flac ? "flac-" : "wav-") + (isFloat() ? "float" : std::to_string(bits));
}

std::string OutputFormat::describe() const
{
    std::string text = isFloat() ? "32-bit float" : std::to_string(bits) + "-bit";
    text += container == Flac ? " FLAC" : " WAV";
    if (!isFloat())
        text += dither ? ", TPDF dither" : ", no dither";
    return text;
}

OutputFormat parseFormat(const std::string& text)
{
    std::string folded;
    for (char c : text)
        folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    OutputFormat format;
    if (folded == "wav-16" || folded == "wav16" || folded == "16")
        format.bits = 16;
    else if (folded == "wav-24" || folded == "wav24" || folded == "24")
        format.bits = 24;
    else if (folded == "wav-float" || folded == "wav" || folded == "float" || folded == "wav-32f")
        format.bits = 32;
    else if (folded == "flac-16" || folded == "flac16") {
        format.container = OutputFormat::Flac;
        format.bits = 16;
    } else if (folded == "flac-24" || folded == "flac24" || folded == "flac") {
        format.container = OutputFormat::Flac;
        format.bits = 24;
    } else
        throw RenderError("--format takes wav-16, wav-24, wav-float, flac-16 or flac-24, not '" + text + "'");
    return format;
}

void Quantizer::reset()
{
    state = 0x9E3779B9u;
}

uint32_t Quantizer::next()
{
    // xorshift32: cheap, and the same sequence on every platform.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void Quantizer::apply(float* interleaved, int* codes, int64_t samples)
{
    if (format.isFloat())
        return;
    const double scale = std::ldexp(1.0, format.bits - 1);
    const int shift = 32 - format.bits;
    for (int64_t i = 0; i < samples; ++i) {
        double v = static_cast<double>(interleaved[i]) * scale;
        if (format.dither) {
            // Triangular between -1 and +1 step: the sum of two uniform variables.
            const double a = next() * (1.0 / 4294967296.0), b = next() * (1.0 / 4294967296.0);
            v += a - b;
        }
        double q = std::nearbyint(v);
        if (q > scale - 1)
            q = scale - 1;
        else if (q < -scale)
            q = -scale;
        interleaved[i] = static_cast<float>(q / scale);
        codes[i] = static_cast<int>(static_cast<int64_t>(q) * (int64_t(1) << shift));
    }
}

int64_t rf64Limit()
{
    if (const char* text = std::getenv("ORVANNE_RENDER_RF64_LIMIT")) {
        char* end = nullptr;
        const long long value = std::strtoll(text, &end, 10);
        if (end != text && value > 0)
            return value;
    }
    return 0xFFFFFFFFLL - (1 << 20);
}

SoundSink::SoundSink(int descriptor, bool closeDescriptor, const OutputFormat& format, int rate, int channels,
                     int64_t expectedFrames)
    : format(format), channelCount(channels)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    int encoding = format.bits == 16 ? SF_FORMAT_PCM_16 : format.bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
    int container = SF_FORMAT_WAV;
    if (format.container == OutputFormat::Flac)
        container = SF_FORMAT_FLAC;
    else if (expectedFrames * channels * (format.bits / 8) > rf64Limit()) {
        container = SF_FORMAT_RF64;
        rf64 = true;
    }
    info.format = container | encoding;
    if (container == SF_FORMAT_WAV && lseek(descriptor, 0, SEEK_CUR) < 0) {
        // libsndfile cannot write WAV to a pipe, because it seeks back to fill in the sizes.
        // The sizes are known here: a canonical header, with all ones past 4 GiB as streams do.
        stream = descriptor;
        closeStream = closeDescriptor;
        const int bytes = format.bits / 8;
        const int64_t data = expectedFrames * channels * bytes;
        const uint32_t dataSize = data > 0xFFFFFFFFLL - 36 ? 0xFFFFFFFFu : static_cast<uint32_t>(data);
        const uint32_t riffSize = dataSize == 0xFFFFFFFFu ? 0xFFFFFFFFu : dataSize + 36;
        std::vector<unsigned char> header;
        auto put = [&](uint32_t value, int size) {
            for (int i = 0; i < size; ++i)
                header.push_back(static_cast<unsigned char>(value >> (8 * i)));
        };
        auto tag = [&](const char* text) { header.insert(header.end(), text, text + 4); };
        tag("RIFF");
        put(riffSize, 4);
        tag("WAVE");
        tag("fmt ");
        put(16, 4);
        put(format.isFloat() ? 3 : 1, 2);
        put(static_cast<uint32_t>(channels), 2);
        put(static_cast<uint32_t>(rate), 4);
        put(static_cast<uint32_t>(rate * channels * bytes), 4);
        put(static_cast<uint32_t>(channels * bytes), 2);
        put(static_cast<uint32_t>(format.bits), 2);
        tag("data");
        put(dataSize, 4);
        writeBytes(header.data(), header.size());
        return;
    }
    file = sf_open_fd(descriptor, SFM_WRITE, &info, closeDescriptor ? SF_TRUE : SF_FALSE);
    if (!file)
        throw RenderError(std::string("cannot write the output file: ") + sf_strerror(nullptr));
    // The PEAK chunk of a float file carries the time of writing: without it, the same
    // render gives the same bytes.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

SoundSink::~SoundSink()
{
    if (file)
        sf_close(file);
    if (closeStream)
        close(stream);
}

void SoundSink::writeBytes(const void* data, size_t size)
{
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(stream, at, size);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            throw RenderError(std::string("cannot write the output: ") + std::strerror(errno));
        }
        at += n;
        size -= static_cast<size_t>(n);
    }
}

void SoundSink::write(const float* interleaved, const int* codes, int64_t frames)
{
    if (stream >= 0) {
        // Little-endian samples, as WAV holds them.
        const int bytes = format.bits / 8;
        std::vector<unsigned char> out;
        const size_t count = static_cast<size_t>(frames) * channelCount;
        out.reserve(count * bytes);
        for (size_t i = 0; i < count; ++i) {
            uint32_t word;
            if (format.isFloat())
                std::memcpy(&word, &interleaved[i], 4);
            else
                word = static_cast<uint32_t>(codes[i]) >> (32 - format.bits);
            for (int b = 0; b < bytes; ++b)
                out.push_back(static_cast<unsigned char>(word >> (8 * b)));
        }
        writeBytes(out.data(), out.size());
        return;
    }
    const sf_count_t written = format.isFloat() ? sf_writef_float(file, interleaved, frames)
                                                : sf_writef_int(file, codes, frames);
    if (written != frames)
        throw RenderError(std::string("cannot write the output file: ") + sf_strerror(file));
}

void SoundSink::finish()
{
    if (stream >= 0)
        return;
    sf_write_sync(file);
    if (sf_error(file) != SF_ERR_NO_ERROR)
        throw RenderError(std::string("cannot write the output file: ") + sf_strerror(file));
    SNDFILE* closing = file;
    file = nullptr;
    if (sf_close(closing) != 0)
        throw RenderError("cannot finish the output file");
}

} // namespace render
