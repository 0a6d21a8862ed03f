// The audio callback and the meters: per frame the engine (or its delay-only bypass), then
// the five meter values; the display-ready meter readings; suspend.
//
// The meter values live in registers for the length of a block and are stored back at the
// end. They are stepped inside the engine's own per-frame loop (MeterSink), with value selects
// for the comparisons; the only branches on the signal are taken once per chunk of frames and
// choose between paths that give the same bits.
#include "TarvelleVST.h"

#include "AEffEditor.h"
#include "MaximizerFrames.h"

#include <cmath>

namespace {

constexpr double kMeterFloor = 1e-24;
constexpr float kFloorReach = 0x1p-55f;              // below this, adding kMeterFloor changes a float
constexpr double kOverThreshold = 1.0;               // 10^(0/20)
constexpr double kHalfDecibel = 0.05756462732485114; // ln(10) / 40: readings are shown +0.5 dB

// Inputs pass the engine's tiny-value guard, float(float(x + 1e-18) - 1e-18), so vanishing
// inputs never reach the engine as denormals.
inline float conditionInput(float x)
{
    return maximizer_detail::guardTiny(x);
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
inline __m128 select(__m128 mask, __m128 whenSet, __m128 otherwise)
{
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}

// decay on lane 0 (lane 1 is converted along and stays 0 when it starts at 0), and on lanes
// 0 and 1. The packed conversions write whole registers, so no merge copies are needed.
inline __m128 decay(__m128 meter, __m128d fall)
{
    return _mm_cvtpd_ps(_mm_mul_sd(_mm_cvtps_pd(meter), fall));
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

// A pair of level meters (lane 0 left, lane 1 right) with the same fall. Over meters take a
// frame's level when it is at least 1.0, replacing the held value even when that is larger;
// peak meters take it when it is above the held value. a >= 1.0 is tested as
// (the float below 1.0) < a; both are false for NaN.
//
// Where a meter sits near the floor, every frame also adds the floor offset, which doubles the
// length of its per-frame chain. Left alone, such a meter settles on a value the step maps to
// itself; once a lane has been seen to do that, the value is remembered (`rest`), and a chunk
// of frames that starts there and brings no new level leaves the lane as it is.
template <bool Over>
struct MeterPair {
    __m128 value;
    __m128d fall;
    __m128 rest;
    __m128 stays; // lanes that keep their resting value through the current chunk

    __m128 takes(__m128 level) const
    {
        return Over ? _mm_cmplt_ps(_mm_set1_ps(0x1.fffffep-1f), level) : _mm_cmplt_ps(value, level);
    }

    // The meter after one frame, before any floor offset.
    __m128 next(__m128 level) const
    {
        const __m128 taken = takes(level);
        if (Over)
            return select(taken, level, decayPair(value, fall));
        // A peak meter is never negative and its fall lies in [0, 1], so a decayed value never
        // exceeds the held one: where the level is taken it is above the decayed value too,
        // and elsewhere the masked level is +0, which no decayed value is below. MAXPS answers
        // its second operand for a NaN, which keeps a NaN meter NaN.
        return _mm_max_ps(_mm_and_ps(taken, level), decayPair(value, fall));
    }

    // One frame for meters that stay clear of the floor.
    void step(__m128 level) { value = next(level); }

    // The same for over meters, with takes(level) worked out beforehand.
    void stepTaken(__m128 level, __m128 taken) { value = select(taken, level, decayPair(value, fall)); }

    // One frame with the floor offset, learning resting values on the way.
    void stepWithFloor(__m128 level)
    {
        const __m128 taken = takes(level);
        const __m128 following = withFloorPair(next(level));
        const __m128 settled = _mm_andnot_ps(taken, _mm_cmpeq_ps(following, value));
        rest = select(settled, value, rest);
        value = following;
    }

    // Before a chunk whose largest levels per lane are `largest`: true when its frames can go
    // through step() followed by settle(). Lanes at or above `safe` (see safeForChunk) cannot
    // reach the floor within a chunk; a lane below it that rests and is taken by no level of
    // the chunk keeps its value. Otherwise the frames need stepWithFloor().
    bool plainChunk(__m128 largest, __m128 safe)
    {
        stays = _mm_setzero_ps();
        const __m128 low = _mm_cmplt_ps(value, safe);
        if (__builtin_expect(_mm_movemask_ps(low) & 3, 0)) {
            stays = _mm_andnot_ps(takes(largest), _mm_cmpeq_ps(value, rest));
            return (_mm_movemask_ps(_mm_andnot_ps(stays, low)) & 3) == 0;
        }
        return true;
    }

    void settle() { value = select(stays, rest, value); }

    // After plainChunk: both lanes keep their resting value through the chunk, so there is
    // nothing to step (the usual state of the over meters, which rarely take a level).
    bool resting() const { return (_mm_movemask_ps(stays) & 3) == 3; }
};

// Level meters at or above this stay at or above kFloorReach for a whole chunk, whatever comes
// in (a rise only goes higher): a decay step keeps at least fall × (1 − 2^-24) of a meter.
// Falls outside (0, 1] give a bound no meter reaches, which checks every frame.
inline float safeForChunk(double fallPeak, double fallOver)
{
    const double fall = (fallPeak < fallOver ? fallPeak : fallOver) * (1.0 - 0x1p-22);
    if (!(fall > 0.0 && fall <= 1.0))
        return INFINITY;
    double kept = 1.0;
    for (int32_t i = 0; i < CMaximizer::Frames::kChunk; ++i)
        kept *= fall;
    const double bound = static_cast<double>(kFloorReach) / kept * 1.001;
    return bound < 1e30 ? static_cast<float>(bound) : INFINITY;
}

// The engine's sink for the leveling path: conditions the inputs, writes the outputs and keeps
// the five meters. The level meters run one chunk behind the engine: while the engine steps
// through chunk k frame by frame, frame() steps the meters through the outputs of chunk k-1,
// so that their chains advance in the engine's serial loop.
template <bool StereoOut>
struct MeterSink {
    float* outL;
    float* outR;
    // |left|, |right| per frame of a chunk, then the over meters' take masks for them
    // (4 × kChunk floats, 16-byte aligned). Kept outside the sink, which then holds only
    // values that can live in registers.
    float* levels;
    float* overTakes;
    MeterPair<false> peaks;
    MeterPair<true> overs;
    __m128 reduction;
    __m128d fallReduction;
    __m128 safe;
    VstInt32 pending = 0; // frames of `levels` still to step
    bool peaksFollow = false;
    bool oversFollow = false;

    MeterSink(float* left, float* right, float* levelBuffer, __m128 peakValues, __m128 overValues,
              __m128 reductionValue, double peakFall, double overFall, double reductionFall, __m128 peakRest,
              __m128 overRest, float safeLevel)
        : outL(left),
          outR(right),
          levels(levelBuffer),
          overTakes(levelBuffer + 2 * CMaximizer::Frames::kChunk),
          peaks{peakValues, _mm_set1_pd(peakFall), peakRest, _mm_setzero_ps()},
          overs{overValues, _mm_set1_pd(overFall), overRest, _mm_setzero_ps()},
          reduction(reductionValue),
          fallReduction(_mm_set_sd(reductionFall)),
          safe(_mm_set1_ps(safeLevel)),
          largest(_mm_setzero_ps())
    {
    }

    // The conditioning leaves |x| >= 2^-30 as it is (see maximizer_detail::guardChanges).
    __m128 input(__m128 x) { return maximizer_detail::guard4Fast(x); }

    // Level and over mask pairs are loaded rather than built here: the loop this runs in has
    // no registers to spare for constants.
    void levelStep(VstInt32 i)
    {
        const __m128 a = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(levels + 2 * i)));
        if (peaksFollow)
            peaks.step(a);
        if (oversFollow)
            overs.stepTaken(a, _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(overTakes + 2 * i))));
    }

    void frame(VstInt32 i, __m128 g)
    {
        // Gain reduction: r = |1 - g| (one float subtract is exact in double, then rounded).
        // As for the peak meters: the reduction is never negative and its fall lies in [0, 1].
        // |x| as a shift pair, which needs no mask register.
        const __m128i d = _mm_castps_si128(_mm_sub_ss(_mm_set_ss(1.0f), g));
        const __m128 r = _mm_castsi128_ps(_mm_srli_epi32(_mm_slli_epi32(d, 1), 1));
        reduction = _mm_max_ss(_mm_and_ps(_mm_cmplt_ss(reduction, r), r), decay(reduction, fallReduction));
        if (i < pending)
            levelStep(i);
    }

    // The rest of the previous chunk's levels.
    void catchUp(VstInt32 from)
    {
        for (VstInt32 i = from; i < pending; ++i)
            levelStep(i);
        if (peaksFollow)
            peaks.settle();
        if (oversFollow)
            overs.settle();
        pending = 0;
    }

    __m128 largest; // per lane, over the levels of the chunk being output

    void beginOutputs(VstInt32 n)
    {
        catchUp(n);
        largest = _mm_setzero_ps();
    }

    void outputs(VstInt32 at, VstInt32 i, __m128 l, __m128 r, VstInt32 valid)
    {
        if (__builtin_expect(valid == 4, 1)) {
            _mm_storeu_ps(outL + at, l);
            if (StereoOut)
                _mm_storeu_ps(outR + at, r);
        } else {
            alignas(16) float tl[4];
            alignas(16) float tr[4];
            _mm_store_ps(tl, l);
            _mm_store_ps(tr, r);
            for (VstInt32 k = 0; k < valid; ++k) {
                outL[at + k] = tl[k];
                if (StereoOut)
                    outR[at + k] = tr[k];
            }
        }
        // Levels of padding frames go into `largest` too, which can only make the choice in
        // endOutputs more careful.
        const __m128 signBit = _mm_set1_ps(-0.0f);
        const __m128 first = _mm_andnot_ps(signBit, _mm_unpacklo_ps(l, r));
        const __m128 second = _mm_andnot_ps(signBit, _mm_unpackhi_ps(l, r));
        _mm_store_ps(levels + 2 * i, first);
        _mm_store_ps(levels + 2 * i + 4, second);
        const __m128 overLine = _mm_set1_ps(0x1.fffffep-1f); // a >= 1.0 as in MeterPair::takes
        _mm_store_ps(overTakes + 2 * i, _mm_cmplt_ps(overLine, first));
        _mm_store_ps(overTakes + 2 * i + 4, _mm_cmplt_ps(overLine, second));
        largest = _mm_max_ps(first, largest); // MAXPS skips a NaN level
        largest = _mm_max_ps(second, largest);
    }

    void endOutputs(VstInt32 n)
    {
        const __m128 highest = _mm_max_ps(largest, _mm_movehl_ps(largest, largest));
        const bool peaksPlain = peaks.plainChunk(highest, safe);
        const bool oversPlain = overs.plainChunk(highest, safe);
        if (__builtin_expect(!peaksPlain || !oversPlain, 0)) {
            for (VstInt32 i = 0; i < n; ++i) {
                const __m128 a = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(levels + 2 * i)));
                if (!peaksPlain)
                    peaks.stepWithFloor(a);
                if (!oversPlain)
                    overs.stepWithFloor(a);
            }
        }
        peaksFollow = peaksPlain && !peaks.resting();
        oversFollow = oversPlain && !overs.resting();
        pending = (peaksFollow || oversFollow) ? n : 0;
    }

    void finish() { catchUp(0); }
};

// The faster path relies on falls in [0, 1] (see MeterPair::next).
inline bool fallsInRange(double a, double b, double c)
{
    return a >= 0.0 && a <= 1.0 && b >= 0.0 && b <= 1.0 && c >= 0.0 && c <= 1.0;
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

    if (relaxedLoad(resetPending)) {
        relaxedStore(resetPending, false);
        clearMeters();
        engine.reset();
    }
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
    // The engine's per-frame loop also steps the meters, so that the smoothing inside the
    // engine and the five meter recurrences, independent chains, overlap in the processor.
#if ORVANNE_ENGINE_SSE2
    if (fallsInRange(peakFall, overFall, reductionFall)) {
        if (meterRestFalls[0] != peakFall || meterRestFalls[1] != overFall) {
            for (float& rest : meterRest)
                rest = __builtin_nanf("");
            meterRestFalls[0] = peakFall;
            meterRestFalls[1] = overFall;
            meterSafeLevel = safeForChunk(peakFall, overFall);
        }
        CMaximizer::Frames run(engine);
        alignas(16) float levels[4 * CMaximizer::Frames::kChunk];
        MeterSink<StereoOut> sink(
            outL, outR, levels,
            _mm_unpacklo_ps(_mm_set_ss(relaxedLoad(outPeakLeft)), _mm_set_ss(relaxedLoad(outPeakRight))),
            _mm_unpacklo_ps(_mm_set_ss(relaxedLoad(overLeft)), _mm_set_ss(relaxedLoad(overRight))),
            _mm_set_ss(relaxedLoad(gainReduction)), peakFall, overFall, reductionFall,
            _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(meterRest))),
            _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(meterRest + 2))), meterSafeLevel);
        run.processChunks(inL, inR, frames, sink);
        sink.finish();
        run.finish();
        _mm_storel_pi(reinterpret_cast<__m64*>(meterRest), sink.peaks.rest);
        _mm_storel_pi(reinterpret_cast<__m64*>(meterRest + 2), sink.overs.rest);

        const __m128 peaks = sink.peaks.value;
        const __m128 overs = sink.overs.value;
        relaxedStore(outPeakLeft, _mm_cvtss_f32(peaks));
        relaxedStore(outPeakRight, _mm_cvtss_f32(_mm_shuffle_ps(peaks, peaks, _MM_SHUFFLE(3, 2, 0, 1))));
        relaxedStore(overLeft, _mm_cvtss_f32(overs));
        relaxedStore(overRight, _mm_cvtss_f32(_mm_shuffle_ps(overs, overs, _MM_SHUFFLE(3, 2, 0, 1))));
        relaxedStore(gainReduction, _mm_cvtss_f32(sink.reduction));
        return;
    }
#endif
    // Frame by frame (also the form for builds without SSE2).
    CMaximizer::Frames run(engine);
    float peakL = relaxedLoad(outPeakLeft);
    float peakR = relaxedLoad(outPeakRight);
    float overL = relaxedLoad(overLeft);
    float overR = relaxedLoad(overRight);
    float reduction = relaxedLoad(gainReduction);
    const double fallPeak = peakFall;
    const double fallOver = overFall;
    const double fallReduction = reductionFall;

    for (VstInt32 i = 0; i < frames; ++i) {
        // Both inputs of a frame are read before its outputs are written (in-place buffers).
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
    run.finish();

    relaxedStore(outPeakLeft, peakL);
    relaxedStore(outPeakRight, peakR);
    relaxedStore(overLeft, overL);
    relaxedStore(overRight, overR);
    relaxedStore(gainReduction, reduction);
}

template <bool StereoOut>
void CTarvelleVST::bypassFrames(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames)
{
    float peakL = relaxedLoad(outPeakLeft);
    float peakR = relaxedLoad(outPeakRight);
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

    relaxedStore(outPeakLeft, peakL);
    relaxedStore(outPeakRight, peakR);
    relaxedStore(overLeft, 0.0f);
    relaxedStore(overRight, 0.0f);
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
        return levelReading(relaxedLoad(outPeakLeft));
    case kReadingOutRight:
        return levelReading(relaxedLoad(outPeakRight));
    case kReadingOverLeft:
        return relaxedLoad(overLeft);
    case kReadingOverRight:
        return relaxedLoad(overRight);
    case kReadingGainReduction:
        return reductionReading(relaxedLoad(gainReduction));
    default:
        return 0.0f;
    }
}

void CTarvelleVST::clearMeters()
{
    relaxedStore(outPeakLeft, 0.0f);
    relaxedStore(outPeakRight, 0.0f);
    relaxedStore(overLeft, 0.0f);
    relaxedStore(overRight, 0.0f);
    relaxedStore(gainReduction, 0.0f);
}

void CTarvelleVST::suspend()
{
    clearMeters();
    engine.reset();
    if (editor != nullptr && editorLink != nullptr && editor->isOpen())
        editorLink->updateMeters();
}

void CTarvelleVST::requestReset()
{
    clearMeters();
    relaxedStore(resetPending, true);
    if (editor != nullptr && editorLink != nullptr && editor->isOpen())
        editorLink->updateMeters();
}
