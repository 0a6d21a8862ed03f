#include "Analysis.h"

#include "RenderError.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace render {

double toDb(double linear)
{
    return linear > 0.0 ? 20.0 * std::log10(linear) : -INFINITY;
}

LoudnessMeter::LoudnessMeter(int channelCount, int rate) : channels(channelCount)
{
    state = ebur128_init(static_cast<unsigned>(channelCount), static_cast<unsigned long>(rate),
                         EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK);
    if (!state)
        throw RenderError("cannot measure loudness at " + std::to_string(rate) + " Hz with " +
                          std::to_string(channelCount) + " channels");
}

LoudnessMeter::~LoudnessMeter()
{
    ebur128_destroy(&state);
}

void LoudnessMeter::add(const float* interleaved, size_t frames)
{
    if (frames > 0 && ebur128_add_frames_float(state, interleaved, frames) != EBUR128_SUCCESS)
        throw RenderError("loudness measurement failed");
}

double LoudnessMeter::samplePeakDb() const
{
    double peak = 0.0;
    for (int c = 0; c < channels; ++c) {
        double p = 0.0;
        if (ebur128_sample_peak(state, static_cast<unsigned>(c), &p) == EBUR128_SUCCESS)
            peak = std::max(peak, p);
    }
    return toDb(peak);
}

double LoudnessMeter::truePeakDb() const
{
    double peak = 0.0;
    for (int c = 0; c < channels; ++c) {
        double p = 0.0;
        if (ebur128_true_peak(state, static_cast<unsigned>(c), &p) == EBUR128_SUCCESS)
            peak = std::max(peak, p);
    }
    return toDb(peak);
}

double LoudnessMeter::integratedLufs() const
{
    double lufs = -INFINITY;
    if (ebur128_loudness_global(state, &lufs) != EBUR128_SUCCESS)
        return -INFINITY;
    return lufs;
}

double LoudnessMeter::loudnessRangeLu() const
{
    double range = 0.0;
    if (ebur128_loudness_range(state, &range) != EBUR128_SUCCESS || !std::isfinite(range))
        return 0.0;
    return range;
}

double LoudnessMeter::combinedLufs(const std::vector<const LoudnessMeter*>& meters)
{
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* m : meters)
        states.push_back(m->state);
    double lufs = -INFINITY;
    if (states.empty() || ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) != EBUR128_SUCCESS)
        return -INFINITY;
    return lufs;
}

LevelTrace::LevelTrace(int64_t frames, int rate, int plotBins) : total(frames), sampleRate(rate)
{
    window = std::max<int64_t>(1, static_cast<int64_t>(std::lround(rate * windowSeconds)));
    const int64_t windows = (frames + window - 1) / window;
    inPeaks.assign(static_cast<size_t>(windows), 0.0f);
    outPeaks.assign(static_cast<size_t>(windows), 0.0f);
    outCovered.assign(static_cast<size_t>(windows), 0);
    const int64_t bins = std::max(1, plotBins);
    const int64_t binFrames = std::max<int64_t>(1, (frames + bins - 1) / bins);
    for (Envelope* e : {&inEnvelope, &outEnvelope}) {
        e->binFrames = binFrames;
        const size_t count = static_cast<size_t>((frames + binFrames - 1) / binFrames);
        for (int c = 0; c < 2; ++c) {
            e->low[c].assign(count, 0.0f);
            e->high[c].assign(count, 0.0f);
        }
    }
}

void LevelTrace::addTo(Envelope& envelope, std::vector<float>& peaks, std::vector<int64_t>* covered, int64_t t,
                       const float* const* channels, int channelCount, int64_t n)
{
    int64_t begin = std::max<int64_t>(0, t), end = std::min(total, t + n);
    for (int64_t f = begin; f < end; ++f) {
        const int64_t i = f - t;
        float peak = 0.0f;
        for (int c = 0; c < channelCount; ++c)
            peak = std::max(peak, std::fabs(channels[c][i]));
        const size_t w = static_cast<size_t>(f / window);
        peaks[w] = std::max(peaks[w], peak);
        if (covered)
            ++(*covered)[w];
        const size_t b = static_cast<size_t>(f / envelope.binFrames);
        for (int c = 0; c < 2 && c < channelCount; ++c) {
            envelope.low[c][b] = std::min(envelope.low[c][b], channels[c][i]);
            envelope.high[c][b] = std::max(envelope.high[c][b], channels[c][i]);
        }
        if (channelCount == 1) {
            envelope.low[1][b] = envelope.low[0][b];
            envelope.high[1][b] = envelope.high[0][b];
        }
    }
}

void LevelTrace::addInput(int64_t t, const float* left, const float* right, int64_t n)
{
    const float* channels[2] = {left, right};
    addTo(inEnvelope, inPeaks, nullptr, t, channels, 2, n);
}

void LevelTrace::addOutput(int64_t t, const float* const* channels, int channelCount, int64_t n)
{
    addTo(outEnvelope, outPeaks, &outCovered, t, channels, channelCount, n);
}

std::vector<double> LevelTrace::gainReductionDb() const
{
    std::vector<double> reduction(inPeaks.size(), -1.0);
    for (size_t w = 0; w < inPeaks.size(); ++w) {
        const int64_t length = std::min(window, total - static_cast<int64_t>(w) * window);
        if (outCovered[w] < length || inPeaks[w] < quietPeak)
            continue;
        // A silent output under a sounding input reads as 200 dB rather than infinity.
        const double out = std::max(static_cast<double>(outPeaks[w]), 1e-10 * inPeaks[w]);
        reduction[w] = std::max(0.0, toDb(inPeaks[w]) - toDb(out));
    }
    return reduction;
}

double LevelTrace::maxGainReductionDb() const
{
    double most = 0.0;
    for (double r : gainReductionDb())
        most = std::max(most, r);
    return most;
}

} // namespace render
