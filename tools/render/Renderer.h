// The render loop: the plug-in started at the input's rate, processReplacing in blocks,
// the output written and measured.
#pragma once

#include "Analysis.h"
#include "AudioSource.h"

#include <functional>
#include <string>

namespace vsthost {
class PluginHost;
}

namespace render {

struct RenderSettings {
    int blockSize = 512;
    bool compensate = false;              // trim the latency from the output and render it as extra silence
    std::function<void(double)> progress; // called with 0..1, may be empty
};

struct RenderResult {
    int latency = 0;      // initialDelay when the render began
    int latencyAfter = 0; // and when it ended
    int outputChannels = 0;
    int64_t framesWritten = 0;
    double processSeconds = 0.0; // time spent in processReplacing only
    double audioSeconds = 0.0;   // audio rendered, latency padding included
    double inPeakDb = 0, inTruePeakDb = 0, inLufs = 0;
    double outPeakDb = 0, outTruePeakDb = 0, outLufs = 0;
    double maxGainReductionDb = 0;
};

// Renders `source` through the started-and-stopped plug-in into the open sound file
// descriptor `output` (32-bit float WAV; closed here). Fills `trace`. Throws RenderError.
RenderResult renderFile(vsthost::PluginHost& plugin, AudioSource& source, int output, const RenderSettings& settings,
                        LevelTrace& trace);

} // namespace render
