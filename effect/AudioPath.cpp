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

#if ORVANNE_ENGINE_SSE2
inline __m128 conditionPair(__m128 x)
{
    const __m128d guard = _mm_set1_pd(kInputGuard);
    const __m128 up = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(x), guard));
    return _mm_cvtpd_ps(_mm_sub_pd(_mm_cvtps_pd(up), guard));
}

// conditionInput on every lane.
inline __m128 conditionInputs(__m128 x)
{
    return _mm_movelh_ps(conditionPair(x), conditionPair(_mm_movehl_ps(x, x)));
}

inline __m128 select(__m128 mask, __m128 whenSet, __m128 otherwise)
{
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}

// decay on lane 0, and on lanes 0 and 1.
inline __m128 decay(__m128 meter, __m128d fall)
{
    return _mm_cvtsd_ss(_mm_setzero_ps(), _mm_mul_sd(_mm_cvtss_sd(_mm_setzero_pd(), meter), fall));
}

inline __m128 decayPair(__m128 meters, __m128d fall)
{
    return _mm_cvtpd_ps(_mm_mul_pd(_mm_cvtps_pd(meters), fall));
}

// withFloor on lanes 0 and 1.
inline __m128 withFloorPair(__m128 meters)
{
    const __m128 raised = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(meters), _mm_set1_pd(kMeterFloor)));
    return select(_mm_cmplt_ps(meters, _mm_set1_ps(kFloorReach)), raised, meters);
}

inline bool anyBelow(__m128 meters, __m128 bound)
{
    return (_mm_movemask_ps(_mm_cmplt_ps(meters, bound)) & 3) != 0;
}

// A pair of level meters (lane 0 left, lane 1 right) with the same fall. Over meters take a
// frame's level when it is at least 1.0, replacing the held value even when that is larger;
// peak meters take it when it is above the held value. a >= 1.0 is tested as
// (the float below 1.0) < a; both are false for NaN.
//
// Where a meter sits near the floor, every frame also adds the floor offset, which doubles the
// length of its per-frame chain. Left alone, such a meter settles on a value the step maps to
// itself; once a lane has been seen to do that, the value is remembered (`rest`), and a group
// of frames that starts there and brings no new level leaves the pair as it is without any
// arithmetic.
template <bool Over>
struct MeterPair {
    __m128 value;
    __m128d fall;
    __m128 rest;

    __m128 takes(__m128 level) const
    {
        return Over ? _mm_cmplt_ps(_mm_set1_ps(0x1.fffffep-1f), level) : _mm_cmplt_ps(value, level);
    }

    // One frame for meters that cannot come near the floor.
    void step(__m128 level) { value = select(takes(level), level, decayPair(value, fall)); }

    // One frame with the floor offset, learning resting values on the way.
    void stepWithFloor(__m128 level)
    {
        const __m128 taken = takes(level);
        const __m128 next = withFloorPair(select(taken, level, decayPair(value, fall)));
        const __m128 settled = _mm_andnot_ps(taken, _mm_cmpeq_ps(next, value));
        rest = select(settled, value, rest);
        value = next;
    }

    // Four frames, levels in lanes 0 and 1 of first, 2 and 3 of first, 0 and 1 of second and
    // 2 and 3 of second. Lanes at or above `safe` (see safeForFourFrames) need no floor offset;
    // a lane below it that rests and gets no new level keeps its value.
    void group(__m128 first, __m128 second, __m128 safe)
    {
        const __m128 low = _mm_cmplt_ps(value, safe);
        if (_mm_movemask_ps(low) & 3) {
            const __m128 held = _mm_movelh_ps(value, value);
            const __m128 one = _mm_set1_ps(0x1.fffffep-1f);
            const __m128 taken = Over ? _mm_or_ps(_mm_cmplt_ps(one, first), _mm_cmplt_ps(one, second))
                                      : _mm_or_ps(_mm_cmplt_ps(held, first), _mm_cmplt_ps(held, second));
            const __m128 stays = _mm_andnot_ps(_mm_or_ps(taken, _mm_movehl_ps(taken, taken)), _mm_cmpeq_ps(value, rest));
            if (_mm_movemask_ps(_mm_andnot_ps(stays, low)) & 3) {
                stepWithFloor(first);
                stepWithFloor(_mm_movehl_ps(first, first));
                stepWithFloor(second);
                stepWithFloor(_mm_movehl_ps(second, second));
                return;
            }
            steps(first, second);
            value = select(stays, rest, value);
            return;
        }
        steps(first, second);
    }

    void steps(__m128 first, __m128 second)
    {
        step(first);
        step(_mm_movehl_ps(first, first));
        step(second);
        step(_mm_movehl_ps(second, second));
    }
};

// The engine's sink for the leveling path: conditions the inputs, writes the outputs and keeps
// the five meters in registers, all inside the engine's loop.
template <bool StereoOut>
struct MeterSink {
    float* outL;
    float* outR;
    MeterPair<false> peaks;
    MeterPair<true> overs;
    __m128 reduction;
    __m128d fallReduction;
    // Level meters at or above this stay at or above kFloorReach for four frames, whatever
    // comes in (a rise only goes higher), so those frames need no floor offset.
    __m128 safeForFour;

    // The conditioning leaves |x| >= 2^-30 as it is (see maximizer_detail::guardChanges).
    __m128 input(__m128 x) { return __builtin_expect(maximizer_detail::guardChanges(x), 0) ? conditionInputs(x) : x; }

    // Gain reduction: r = |1 - g| (one float subtract is exact in double, then rounded).
    void gain(__m128 g)
    {
        const __m128 r = _mm_andnot_ps(_mm_set1_ps(-0.0f), _mm_sub_ss(_mm_set_ss(1.0f), g));
        reduction = select(_mm_cmplt_ss(reduction, r), r, decay(reduction, fallReduction));
    }

    void outputs(VstInt32 i, __m128 left, __m128 right)
    {
        _mm_storeu_ps(outL + i, left);
        if (StereoOut)
            _mm_storeu_ps(outR + i, right);
        const __m128 signBit = _mm_set1_ps(-0.0f);
        const __m128 first = _mm_andnot_ps(signBit, _mm_unpacklo_ps(left, right));
        const __m128 second = _mm_andnot_ps(signBit, _mm_unpackhi_ps(left, right));
        peaks.group(first, second, safeForFour);
        overs.group(first, second, safeForFour);
    }

    void output(VstInt32 i, __m128 pair)
    {
        _mm_store_ss(outL + i, pair);
        if (StereoOut)
            _mm_store_ss(outR + i, _mm_shuffle_ps(pair, pair, _MM_SHUFFLE(3, 2, 0, 1)));
        const __m128 level = _mm_andnot_ps(_mm_set1_ps(-0.0f), pair);
        peaks.stepWithFloor(level);
        overs.stepWithFloor(level);
    }
};

// The bound above: a decay step keeps at least fall × (1 − 2^-24) of a meter, so four steps
// keep more than (fall × (1 − 2^-22))^4 of it. Falls outside (0, 1] get a bound no meter
// reaches, which checks every frame.
inline float safeForFourFrames(double fallPeak, double fallOver)
{
    const double fall = (fallPeak < fallOver ? fallPeak : fallOver) * (1.0 - 0x1p-22);
    if (!(fall > 0.0 && fall <= 1.0))
        return INFINITY;
    const double bound = static_cast<double>(kFloorReach) / (fall * fall * fall * fall) * 1.001;
    return bound < 1e30 ? static_cast<float>(bound) : INFINITY;
}
#endif

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
    // The engine's frame step and the meter updates share one loop: the smoothing inside the
    // engine and the five meter recurrences are independent chains the processor overlaps.
    // Inputs are read before the outputs of the same frames are written (in-place buffers).
    CMaximizer::Frames run(engine);
#if ORVANNE_ENGINE_SSE2
    const __m128 unknown = _mm_set1_ps(NAN); // no resting value seen yet
    MeterSink<StereoOut> sink{
        outL,
        outR,
        {_mm_unpacklo_ps(_mm_set_ss(outPeakLeft), _mm_set_ss(outPeakRight)), _mm_set1_pd(peakFall), unknown},
        {_mm_unpacklo_ps(_mm_set_ss(overLeft), _mm_set_ss(overRight)), _mm_set1_pd(overFall), unknown},
        _mm_set_ss(gainReduction),
        _mm_set_sd(reductionFall),
        _mm_set1_ps(safeForFourFrames(peakFall, overFall))};
    run.processGroups(inL, inR, frames, sink);

    const __m128 peaks = sink.peaks.value;
    const __m128 overs = sink.overs.value;
    outPeakLeft = _mm_cvtss_f32(peaks);
    outPeakRight = _mm_cvtss_f32(_mm_shuffle_ps(peaks, peaks, _MM_SHUFFLE(3, 2, 0, 1)));
    overLeft = _mm_cvtss_f32(overs);
    overRight = _mm_cvtss_f32(_mm_shuffle_ps(overs, overs, _MM_SHUFFLE(3, 2, 0, 1)));
    gainReduction = _mm_cvtss_f32(sink.reduction);
#else
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
        const float g = run.process(xL, xR, oL, oR);
        outL[i] = oL;
        if (StereoOut)
            outR[i] = oR;

        const float r = std::fabs(static_cast<float>(1.0 - static_cast<double>(g)));
        reduction = reduction < r ? r : decay(reduction, fallReduction);
        const float aL = std::fabs(oL);
        const float aR = std::fabs(oR);
        peakL = withFloor(peakL < aL ? aL : decay(peakL, fallPeak));
        peakR = withFloor(peakR < aR ? aR : decay(peakR, fallPeak));
        // An over replaces the held value, even a larger one.
        overL = withFloor(aL >= kOverThreshold ? aL : decay(overL, fallOver));
        overR = withFloor(aR >= kOverThreshold ? aR : decay(overR, fallOver));
    }

    outPeakLeft = peakL;
    outPeakRight = peakR;
    overLeft = overL;
    overRight = overR;
    gainReduction = reduction;
#endif
    run.finish();
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
