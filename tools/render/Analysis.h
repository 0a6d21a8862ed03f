// What the summary and the plot report about a render: loudness and peaks (libebur128),
// and input against output level over time on the input's time line.
#pragma once

#include <ebur128.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace render {

// Integrated loudness, sample peak and true peak of one signal, fed block by block.
class LoudnessMeter {
public:
    LoudnessMeter(int channels, int rate); // throws RenderError
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void add(const float* interleaved, size_t frames);
    // -inf when silent (or, for loudness, shorter than one 400 ms gating block).
    double samplePeakDb() const;
    double truePeakDb() const;
    double integratedLufs() const;
    double loudnessRangeLu() const; // EBU R 128 loudness range; 0 when too short
    // The integrated loudness of several signals taken as one programme (an album).
    static double combinedLufs(const std::vector<const LoudnessMeter*>& meters);

private:
    ebur128_state* state = nullptr;
    int channels;
};

// Min and max of the first two channels per bin of `binFrames`, for the plot.
struct Envelope {
    int64_t binFrames = 1;
    std::vector<float> low[2], high[2];
};

// Input and output on the input's time line (the output moved back by the latency):
// per-window peaks for the gain reduction, envelopes for the plot.
class LevelTrace {
public:
    static constexpr double windowSeconds = 0.01;
    // Peaks below this (-80 dBFS) give no gain-reduction reading.
    static constexpr double quietPeak = 1e-4;

    LevelTrace(int64_t frames, int rate, int plotBins);

    // Frames [t, t + n) of the input, channels 0 and 1.
    void addInput(int64_t t, const float* left, const float* right, int64_t n);
    // Output frames [t, t + n) on the input's time line; parts outside 0..frames are ignored.
    void addOutput(int64_t t, const float* const* channels, int channelCount, int64_t n);

    int64_t windowFrames() const { return window; }
    // Per window: input peak dB minus output peak dB, at least 0; negative (no reading)
    // where the input is quiet or the output does not cover the window.
    std::vector<double> gainReductionDb() const;
    double maxGainReductionDb() const;
    const Envelope& inputEnvelope() const { return inEnvelope; }
    const Envelope& outputEnvelope() const { return outEnvelope; }
    int64_t frames() const { return total; }
    int rate() const { return sampleRate; }

private:
    void addTo(Envelope& envelope, std::vector<float>& peaks, std::vector<int64_t>* covered, int64_t t,
               const float* const* channels, int channelCount, int64_t n);

    int64_t total;
    int sampleRate;
    int64_t window;
    std::vector<float> inPeaks, outPeaks;
    std::vector<int64_t> outCovered; // output frames seen per window
    Envelope inEnvelope, outEnvelope;
};

double toDb(double linear); // -inf for 0

} // namespace render
