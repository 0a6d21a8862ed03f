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
constexpr double kOverThreshold = 1.0; // 10^(0/20)
constexpr double kHalfDecibel = 0.05756462732485114; // ln(10) / 40: readings are shown +0.5 dB

// float(float(x + 1e-18) - 1e-18): vanishing inputs never reach the engine as denormals.
inline float conditionInput(float x)
{
    const float up = static_cast<float>(static_cast<double>(x) + kInputGuard);
    return static_cast<float>(static_cast<double>(up) - kInputGuard);
}

inline float withFloor(float meter)
{
    return static_cast<float>(static_cast<double>(meter) + kMeterFloor);
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
    float peakL = outPeakLeft;
    float peakR = outPeakRight;
    float overL = overLeft;
    float overR = overRight;
    float reduction = gainReduction;
    const double fallPeak = peakFall;
    const double fallOver = overFall;
    const double fallReduction = reductionFall;

    for (VstInt32 i = 0; i < frames; ++i) {
        const float xL = conditionInput(inL[i]);
        const float xR = conditionInput(inR[i]);
        float oL;
        float oR;
        const float g = engine.process(xL, xR, oL, oR);
        outL[i] = oL;
        if (StereoOut)
            outR[i] = oR;

        const float r = std::fabs(static_cast<float>(1.0 - static_cast<double>(g)));
        reduction = reduction < r ? r : decay(reduction, fallReduction);

        const float aL = std::fabs(oL);
        const float aR = std::fabs(oR);
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
