#include "Renderer.h"

#include "PluginHost.h"
#include "RenderError.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace render {

namespace {

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

} // namespace

RenderResult renderFile(vsthost::PluginHost& plugin, AudioSource& source, int output, const RenderSettings& settings,
                        LevelTrace& trace)
{
    AEffect* effect = plugin.effect();
    const int block = settings.blockSize;
    const int rate = source.rate();
    const int sourceChannels = source.channels();
    const int64_t frames = source.frames();
    const int outChannels = effect->numOutputs;

    // Room for every channel the plug-in may touch, at least two each way.
    const int inBuffers = std::max(effect->numInputs, 2);
    const int outBuffers = std::max(effect->numOutputs, 2);
    std::vector<std::vector<float>> in(inBuffers, std::vector<float>(block, 0.0f));
    std::vector<std::vector<float>> out(outBuffers, std::vector<float>(block, 0.0f));
    std::vector<float*> inPointers, outPointers;
    for (auto& c : in)
        inPointers.push_back(c.data());
    for (auto& c : out)
        outPointers.push_back(c.data());
    std::vector<float> fileBlock(static_cast<size_t>(block) * sourceChannels);
    std::vector<float> inInterleaved(static_cast<size_t>(block) * 2);
    std::vector<float> outInterleaved(static_cast<size_t>(block) * outChannels);

    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = outChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    std::unique_ptr<SNDFILE, SoundFileCloser> file(sf_open_fd(output, SFM_WRITE, &info, SF_TRUE));
    if (!file)
        throw RenderError(std::string("cannot write the output file: ") + sf_strerror(nullptr));

    LoudnessMeter inMeter(2, rate), outMeter(outChannels, rate);

    // Some plug-ins settle their latency only when they first process: one block of silence
    // before the render lets them, and a restart clears what it left behind.
    plugin.start(static_cast<float>(rate), block);
    plugin.processReplacing(inPointers.data(), outPointers.data(), block);
    plugin.stop();
    plugin.start(static_cast<float>(rate), block);
    RenderResult result;
    // The latency for the rate the plug-in now runs at.
    const int64_t latency = std::max<VstInt32>(0, effect->initialDelay);
    result.latency = static_cast<int>(latency);
    result.outputChannels = outChannels;

    const int64_t skip = settings.compensate ? latency : 0;
    const int64_t total = frames + skip; // frames handed to the plug-in
    int64_t inputRead = 0;
    std::chrono::steady_clock::duration processing{};
    double lastProgress = -1.0;

    for (int64_t done = 0; done < total;) {
        const int n = static_cast<int>(std::min<int64_t>(block, total - done));
        // Input frames for this block; past the end of the input, silence.
        int64_t got = 0;
        if (inputRead < frames) {
            got = source.read(fileBlock.data(), std::min<int64_t>(n, frames - inputRead));
            if (got <= 0)
                throw RenderError("input ended early");
        }
        for (int c = 0; c < inBuffers; ++c)
            std::fill(in[c].begin(), in[c].begin() + n, 0.0f);
        for (int64_t i = 0; i < got; ++i) {
            const float* frame = &fileBlock[static_cast<size_t>(i) * sourceChannels];
            in[0][i] = frame[0];
            in[1][i] = sourceChannels > 1 ? frame[1] : frame[0]; // mono feeds both inputs
        }
        if (got > 0) {
            for (int64_t i = 0; i < got; ++i) {
                inInterleaved[2 * i] = in[0][i];
                inInterleaved[2 * i + 1] = in[1][i];
            }
            inMeter.add(inInterleaved.data(), static_cast<size_t>(got));
            trace.addInput(inputRead, in[0].data(), in[1].data(), got);
            inputRead += got;
        }
        for (int c = 0; c < outBuffers; ++c)
            std::fill(out[c].begin(), out[c].begin() + n, 0.0f);

        const auto before = std::chrono::steady_clock::now();
        plugin.processReplacing(inPointers.data(), outPointers.data(), n);
        processing += std::chrono::steady_clock::now() - before;

        // Output frame `done + i` lines up with input frame `done + i - latency`.
        trace.addOutput(done - latency, outPointers.data(), outChannels, n);
        const int64_t first = std::max<int64_t>(0, skip - done); // frames still inside the trimmed latency
        const int64_t keep = n - first;
        if (keep > 0) {
            for (int64_t i = 0; i < keep; ++i) {
                for (int c = 0; c < outChannels; ++c)
                    outInterleaved[static_cast<size_t>(i) * outChannels + c] = out[c][first + i];
            }
            if (sf_writef_float(file.get(), outInterleaved.data(), keep) != keep)
                throw RenderError(std::string("cannot write the output file: ") + sf_strerror(file.get()));
            outMeter.add(outInterleaved.data(), static_cast<size_t>(keep));
            result.framesWritten += keep;
        }
        done += n;
        if (settings.progress) {
            const double fraction = static_cast<double>(done) / total;
            if (fraction - lastProgress >= 0.01 || done == total) {
                settings.progress(fraction);
                lastProgress = fraction;
            }
        }
    }
    plugin.stop();
    result.latencyAfter = effect->initialDelay;

    sf_write_sync(file.get());
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        throw RenderError(std::string("cannot write the output file: ") + sf_strerror(file.get()));
    if (sf_close(file.release()) != 0)
        throw RenderError("cannot finish the output file");

    result.processSeconds = std::chrono::duration<double>(processing).count();
    result.audioSeconds = static_cast<double>(total) / rate;
    result.inPeakDb = inMeter.samplePeakDb();
    result.inTruePeakDb = inMeter.truePeakDb();
    result.inLufs = inMeter.integratedLufs();
    result.outPeakDb = outMeter.samplePeakDb();
    result.outTruePeakDb = outMeter.truePeakDb();
    result.outLufs = outMeter.integratedLufs();
    result.maxGainReductionDb = trace.maxGainReductionDb();
    return result;
}

} // namespace render
