// The audio callback and the meters: per frame the engine (or its delay-only bypass), then
// the five meter values; the display-ready meter readings; suspend.
//
// The meter values live in locals for the length of a block and are stored back at the end;
// the meter comparisons are value selects, so nothing in the loop branches on the signal.
#include "TarvelleVST.h"

#include "AEffEditor.h"

#include <cmath>

namespace {

constexpr double kInputGuard = 1e-18;
constexpr double kMeterFloor = 1e-24;
constexpr float kFloorReach = 0x1p-55f; // below this, adding kMeterFloor changes a float
constexpr double kOverThreshold = 1.0; // 10^(0/20)
constexpr double kHalfDecibel = 0.05756462732485114; // ln(10) / 40: readings are shown +0.5 dB

// float(float(x + 1e-18) - 1e-18): vanishing inputs never reach the engine as denormals.
inline float conditionInput(float x)
{
    const float up = static_cast<float>(static_cast<double>(x) + kInputGuard);
    return static_cast<float>(static_cast<double>(up) - kInputGuard);
}

// float(meter + 1e-24). The sum rounds back to the meter itself for every float at or above
// 2^-55, so only meters resting near the floor need the add. Taken as a branch, which predicts
// well (a meter stays on one side for long stretches), it keeps the add out of the meter's
// per-frame dependency chain.
inline float withFloor(float meter)
{
    if (__builtin_expect(meter < kFloorReach, 0))
        return static_cast<float>(static_cast<double>(meter) + kMeterFloor);
    return meter;
}

inline float decay(float meter, double fall)
{
    return static_cast<float>(static_cast<double>(meter) * fall);
}

} // namespace

void CTarvelleVST::processReplacing(float** inputs, float** outputs, VstInt32 frames)
{
    processBlock(inputs, outputs, frames, 2, 2);
}

void CTarvelleVST::processBlock(float** inputs, float** outputs, VstInt32 frames, VstInt32 inputCount,
                                VstInt32 outputCount)
{
    if (frames <= 0 || inputs == nullptr || outputs == nullptr || inputCount < 1 || outputCount < 1)
        return;
    const float* inL = inputs[0];
    const float* inR = inputCount >= 2 ? inputs[1] : inputs[0]; // one input feeds both channels
    float* outL = outputs[0];
    float* outR = outputCount >= 2 ? outputs[1] : nullptr;
    if (inL == nullptr || inR == nullptr || outL == nullptr || (outputCount >= 2 && outR == nullptr))
        return;

    const float power = getParameterNormalized(kParamPower); // once per block
    if (power < 0.5f) {
        if (outR != nullptr)
            levelFrames<true>(inL, inR, outL, outR, frames);
        else
            levelFrames<false>(inL, inR, outL, outL, frames);
    } else {
        if (outR != nullptr)
            bypassFrames<true>(inL, inR, outL, outR, frames);
        else
            bypassFrames<false>(inL, inR, outL, outL, frames);
    }
}

template <bool StereoOut>
void CTarvelleVST::levelFrames(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames)
{
    // The engine levels a chunk at a time from conditioned copies of the inputs (so in-place
    // host buffers are fine) and reports each frame's gain; the meters then follow the chunk.
    constexpr VstInt32 kChunk = 256;
    alignas(16) float xL[kChunk];
    alignas(16) float xR[kChunk];
    alignas(16) float gains[kChunk];
    alignas(16) float spareR[StereoOut ? 1 : kChunk]; // the right output when the host has none

    float peakL = outPeakLeft;
    float peakR = outPeakRight;
    float overL = overLeft;
    float overR = overRight;
    float reduction = gainReduction;
    const double fallPeak = peakFall;
    const double fallOver = overFall;
    const double fallReduction = reductionFall;

    for (VstInt32 start = 0; start < frames; start += kChunk) {
        const VstInt32 n = frames - start < kChunk ? frames - start : kChunk;
        for (VstInt32 i = 0; i < n; ++i) {
            xL[i] = conditionInput(inL[start + i]);
            xR[i] = conditionInput(inR[start + i]);
        }
        float* oL = outL + start;
        float* oR = StereoOut ? outR + start : spareR;
        engine.processBlock(xL, xR, oL, oR, gains, n);

        for (VstInt32 i = 0; i < n; ++i) {
            const float r = std::fabs(static_cast<float>(1.0 - static_cast<double>(gains[i])));
            reduction = reduction < r ? r : decay(reduction, fallReduction);

            const float aL = std::fabs(oL[i]);
            const float aR = std::fabs(oR[i]);
            peakL = peakL < aL ? aL : decay(peakL, fallPeak);
            peakR = peakR < aR ? aR : decay(peakR, fallPeak);
            // An over replaces the held value, even a larger one.
            overL = aL >= kOverThreshold ? aL : decay(overL, fallOver);
            overR = aR >= kOverThreshold ? aR : decay(overR, fallOver);

            peakL = withFloor(peakL);
            peakR = withFloor(peakR);
            overL = withFloor(overL);
            overR = withFloor(overR);
        }
    }

    outPeakLeft = peakL;
    outPeakRight = peakR;
    overLeft = overL;
    overRight = overR;
    gainReduction = reduction;
}

template <bool StereoOut>
void CTarvelleVST::bypassFrames(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames)
{
    float peakL = outPeakLeft;
    float peakR = outPeakRight;
    const double fallPeak = peakFall;

    for (VstInt32 i = 0; i < frames; ++i) {
        const float xL = conditionInput(inL[i]);
        const float xR = conditionInput(inR[i]);
        float oL;
        float oR;
        engine.processDelayOnly(xL, xR, oL, oR);
        outL[i] = oL;
        if (StereoOut)
            outR[i] = oR;
        peakL = withFloor(decay(peakL, fallPeak));
        peakR = withFloor(decay(peakR, fallPeak));
    }

    outPeakLeft = peakL;
    outPeakRight = peakR;
    overLeft = 0.0f;
    overRight = 0.0f;
}

float CTarvelleVST::levelReading(float peak)
{
    const float shaped = static_cast<float>(std::pow(static_cast<double>(peak), 0.24));
    return static_cast<float>(shaped * std::exp(kHalfDecibel));
}

float CTarvelleVST::reductionReading(float reduction)
{
    const float scaled = static_cast<float>(static_cast<double>(reduction) * 1.025);
    const float shaped = static_cast<float>(std::pow(static_cast<double>(scaled), 1.85));
    return static_cast<float>(shaped * std::exp(kHalfDecibel));
}

float CTarvelleVST::getMeterReading(VstInt32 index) const
{
    switch (index) {
    case kReadingOutLeft:
        return levelReading(outPeakLeft);
    case kReadingOutRight:
        return levelReading(outPeakRight);
    case kReadingOverLeft:
        return overLeft;
    case kReadingOverRight:
        return overRight;
    case kReadingGainReduction:
        return reductionReading(gainReduction);
    default:
        return 0.0f;
    }
}

void CTarvelleVST::clearMeters()
{
    outPeakLeft = 0.0f;
    outPeakRight = 0.0f;
    overLeft = 0.0f;
    overRight = 0.0f;
    gainReduction = 0.0f;
}

void CTarvelleVST::suspend()
{
    clearMeters();
    engine.reset();
    if (editor != nullptr && editorLink != nullptr && editor->isOpen())
        editorLink->updateMeters();
}
