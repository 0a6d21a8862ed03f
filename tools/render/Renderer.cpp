#include "Renderer.h"

#include "PluginHost.h"
#include "RenderError.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace render {

RenderResult renderFile(vsthost::PluginHost& plugin, AudioSource& source, const RenderSettings& settings,
                        SoundSink* sink, LevelTrace* trace)
{
    AEffect* effect = plugin.effect();
    const int block = settings.blockSize;
    const int rate = source.rate();
    const int sourceChannels = source.channels();
    const int64_t frames = source.frames();
    const int outChannels = effect->numOutputs;
    source.rewind();

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
    std::vector<int> codes(static_cast<size_t>(block) * outChannels);
    Quantizer quantizer(settings.format);

    auto inMeter = std::make_shared<LoudnessMeter>(2, rate);
    auto outMeter = std::make_shared<LoudnessMeter>(outChannels, rate);

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

    for (int64_t done = 0; done < total;) {
        const int n = static_cast<int>(std::min<int64_t>(block, total - done));
        // Input frames for this block; past the end of the input, silence.
        int64_t got = 0;
        if (inputRead < frames) {
            got = source.read(fileBlock.data(), std::min<int64_t>(n, frames - inputRead));
            if (got <= 0)
                throw RenderError("input '" + source.describe() + "' ended early");
        }
        for (int c = 0; c < inBuffers; ++c)
            std::fill(in[c].begin(), in[c].begin() + n, 0.0f);
        for (int64_t i = 0; i < got; ++i) {
            float* frame = &fileBlock[static_cast<size_t>(i) * sourceChannels];
            // NaN and infinity would poison the plug-in's state: they play as silence.
            for (int c = 0; c < std::min(sourceChannels, 2); ++c) {
                if (!std::isfinite(frame[c])) {
                    if (result.nonFinite++ == 0)
                        result.firstNonFinite = inputRead + i;
                    frame[c] = 0.0f;
                }
            }
            in[0][i] = frame[0];
            in[1][i] = sourceChannels > 1 ? frame[1] : frame[0]; // mono feeds both inputs
        }
        if (got > 0) {
            for (int64_t i = 0; i < got; ++i) {
                inInterleaved[2 * i] = in[0][i];
                inInterleaved[2 * i + 1] = in[1][i];
            }
            inMeter->add(inInterleaved.data(), static_cast<size_t>(got));
            if (trace)
                trace->addInput(inputRead, in[0].data(), in[1].data(), got);
            inputRead += got;
        }
        for (int c = 0; c < outBuffers; ++c)
            std::fill(out[c].begin(), out[c].begin() + n, 0.0f);

        const auto before = std::chrono::steady_clock::now();
        plugin.processReplacing(inPointers.data(), outPointers.data(), n);
        processing += std::chrono::steady_clock::now() - before;

        // Output frame `done + i` lines up with input frame `done + i - latency`.
        if (trace)
            trace->addOutput(done - latency, outPointers.data(), outChannels, n);
        const int64_t first = std::max<int64_t>(0, skip - done); // frames still inside the trimmed latency
        const int64_t keep = n - first;
        if (keep > 0) {
            for (int64_t i = 0; i < keep; ++i) {
                for (int c = 0; c < outChannels; ++c)
                    outInterleaved[static_cast<size_t>(i) * outChannels + c] = out[c][first + i];
            }
            // The final quantisation: what is measured is what the file holds.
            quantizer.apply(outInterleaved.data(), codes.data(), keep * outChannels);
            if (sink)
                sink->write(outInterleaved.data(), codes.data(), keep);
            outMeter->add(outInterleaved.data(), static_cast<size_t>(keep));
            result.framesWritten += keep;
        }
        done += n;
        if (settings.advance)
            settings.advance(n);
    }
    plugin.stop();
    result.latencyAfter = effect->initialDelay;
    if (sink)
        sink->finish();

    result.processSeconds = std::chrono::duration<double>(processing).count();
    result.audioSeconds = static_cast<double>(total) / rate;
    result.inPeakDb = inMeter->samplePeakDb();
    result.inTruePeakDb = inMeter->truePeakDb();
    result.inLufs = inMeter->integratedLufs();
    result.inRangeLu = inMeter->loudnessRangeLu();
    result.outPeakDb = outMeter->samplePeakDb();
    result.outTruePeakDb = outMeter->truePeakDb();
    result.outLufs = outMeter->integratedLufs();
    result.outRangeLu = outMeter->loudnessRangeLu();
    result.maxGainReductionDb = trace ? trace->maxGainReductionDb() : 0.0;
    result.outMeter = outMeter;
    return result;
}

} // namespace render
