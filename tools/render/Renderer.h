// The render loop: the plug-in started at the input's rate, processReplacing in blocks,
// the output quantised, written and measured.
#pragma once

#include "Analysis.h"
#include "AudioSource.h"
#include "OutputFormat.h"

#include <functional>
#include <memory>
#include <string>

namespace vsthost {
class PluginHost;
}

namespace render {

struct RenderSettings {
    int blockSize = 512;
    bool compensate = true;               // trim the latency from the output and render it as extra silence
    OutputFormat format;                  // the final quantisation (and dither) applies to what is measured too
    std::function<void(int64_t)> advance; // called with the frames just handed to the plug-in; may be empty
};

struct RenderResult {
    int latency = 0;      // initialDelay when the render began
    int latencyAfter = 0; // and when it ended
    int outputChannels = 0;
    int64_t framesWritten = 0;
    int64_t nonFinite = 0;       // NaN and infinite input samples, rendered as silence
    int64_t firstNonFinite = -1; // the frame of the first one
    double processSeconds = 0.0; // time spent in processReplacing only
    double audioSeconds = 0.0;   // audio rendered, latency padding included
    double inPeakDb = 0, inTruePeakDb = 0, inLufs = 0, inRangeLu = 0;
    double outPeakDb = 0, outTruePeakDb = 0, outLufs = 0, outRangeLu = 0;
    double maxGainReductionDb = 0;
    std::shared_ptr<LoudnessMeter> outMeter; // for the loudness of several files together
};

// Renders `source` (from its first frame) through the plug-in into `sink` (may be null: a
// measuring run) and `trace` (may be null). Throws RenderError.
RenderResult renderFile(vsthost::PluginHost& plugin, AudioSource& source, const RenderSettings& settings,
                        SoundSink* sink, LevelTrace* trace);

} // namespace render
