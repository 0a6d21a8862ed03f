// CMaximizer::Frames: the engine's per-frame machinery, inlined into process(), processBlock()
// and the effect's audio loop. Internal to the engine and the effect.
#pragma once

#include "EngineSimd.h"
#include "Maximizer.h"

// Consecutive process() calls with the running state (gain, smoothed gain, slope, block peak,
// counters) and the controls held in locals. Construct, call process() once per frame or
// processChunks() for a run of frames, then finish(), which stores the state back; no other
// engine operation may run in between. The once-per-block re-plan stays out of line in the
// engine.
//
// The ramp cap is applied as min(limit, gain + slope) with limit 1 while the slope is positive
// (infinite otherwise); the slope itself is cleared only when the state is stored, which gives
// the same gains, since a capped gain of 1 plus a positive slope caps to 1 again.
class CMaximizer::Frames {
public:
    explicit Frames(CMaximizer& owner)
        : engine(owner),
          left(owner.delayLeft),
          right(owner.delayRight),
          mask(static_cast<uint32_t>(owner.delaySize - 1)),
          lookahead(static_cast<uint32_t>(owner.lookahead)),
          blockLength(static_cast<uint32_t>(owner.blockLength)),
          counter(owner.blockCounter),
          write(static_cast<uint32_t>(owner.writeIndex))
    {
#if ORVANNE_ENGINE_SSE2
        gain = _mm_set_ss(owner.gain);
        smoothed = _mm_set_ss(owner.smoothedGain);
        setSlope(_mm_set_ss(owner.gainSlope));
        peak = _mm_set_ss(owner.blockPeak);
        // The controls may change on another thread: each is read once per chunk.
        const float input = relaxedLoad(owner.inputGain);
        inputGain = _mm_set1_ps(input);
        inputGainD = _mm_set_sd(input);
        outputGain = _mm_set1_ps(relaxedLoad(owner.outputGain));
        clipOn = _mm_castsi128_ps(_mm_set1_epi32(relaxedLoad(owner.ceilingClip) > 0.5f ? -1 : 0));
#else
        gain = owner.gain;
        smoothed = owner.smoothedGain;
        setSlope(owner.gainSlope);
        peak = owner.blockPeak;
        inputGain = relaxedLoad(owner.inputGain);
        outputGain = relaxedLoad(owner.outputGain);
        clip = relaxedLoad(owner.ceilingClip) > 0.5f;
#endif
    }

    Frames& operator=(const Frames&) = delete;

    void finish()
    {
#if ORVANNE_ENGINE_SSE2
        engine.gain = _mm_cvtss_f32(gain);
        engine.smoothedGain = _mm_cvtss_f32(smoothed);
        engine.gainSlope = _mm_cvtss_f32(_mm_andnot_ps(capped, slope));
        engine.blockPeak = _mm_cvtss_f32(peak);
#else
        engine.gain = gain;
        engine.smoothedGain = smoothed;
        engine.gainSlope = capped ? 0.0f : slope;
        engine.blockPeak = peak;
#endif
        engine.blockCounter = counter;
        engine.writeIndex = static_cast<int32_t>(write);
    }

#if ORVANNE_ENGINE_SSE2
    // One frame on a pair: lanes 0 and 1 of `in` hold the left and right input (lanes 2 and 3
    // should be zero); answers the outputs in lanes 0 and 1 (2 and 3 zero) and the returned
    // gain in lane 0 of `gainOut`.
    ORVANNE_ENGINE_INLINE __m128 processPair(__m128 in, __m128& gainOut)
    {
        using namespace maximizer_detail;
        // Detection: MAXSD(b², a²) answers b² only when b² > a², so a tie or a NaN takes a².
        const __m128d squares = _mm_mul_pd(_mm_cvtps_pd(in), _mm_cvtps_pd(in));
        const __m128d sq = _mm_max_sd(_mm_unpackhi_pd(squares, squares), squares);
        const __m128d p = _mm_mul_sd(_mm_add_sd(sq, _mm_set_sd(kDetectFloor)), inputGainD);
        step(_mm_cvtsd_ss(_mm_setzero_ps(), p));

        // Read before this frame's write: exactly `lookahead` frames of delay.
        const uint32_t r = (write - lookahead) & mask;
        const uint32_t w = write & mask;
        const __m128 delayed = _mm_unpacklo_ps(_mm_load_ss(left + r), _mm_load_ss(right + r));
        const __m128 scaled = _mm_mul_ps(in, inputGain);
        _mm_store_ss(left + w, scaled);
        _mm_store_ss(right + w, _mm_shuffle_ps(scaled, scaled, _MM_SHUFFLE(3, 2, 0, 1)));
        write += 1u;

        gainOut = gain;
        return guard2(levelOutput(delayed, _mm_shuffle_ps(smoothed, smoothed, 0), outputGain, clipOn));
    }

    // A run of frames in chunks of up to kChunk. Per chunk, the inputs, the detection, the
    // ring and the output stage each run as a pass over four frames at a time; in between, one
    // tight loop runs the block peak, the gain ramp and the smoothing frame by frame, and calls
    // the sink once per frame so that the sink's own recurrences advance in the same loop,
    // where the processor overlaps them with the smoothing. The sink:
    //   __m128 input(__m128 x)          input samples (each lane) as the engine is to see them
    //   void frame(int32_t i, __m128 g) frame i of the chunk, in order; its gain in lane 0
    //   void beginOutputs(int32_t n)    before the outputs of a chunk of n frames
    //   void outputs(int32_t at, int32_t i, __m128 left, __m128 right, int32_t valid)
    //                                   the outputs of frames at..at+3 (i..i+3 in the chunk),
    //                                   of which the first `valid` are real (the rest padding)
    //   void endOutputs(int32_t n)      after them
    // A chunk never spans more than the look-ahead (nor the rest of the ring), so its delayed
    // samples are ones its own inputs do not overwrite, which keeps the per-frame order; the
    // outputs are handed over after all of the chunk's inputs have been read, so in-place
    // buffers are fine.
    template <class Sink>
    void processChunks(const float* inLeft, const float* inRight, int32_t frames, Sink& sink);

    static constexpr int32_t kChunk = 32;
    static constexpr int32_t kShortChunk = 8;

    ORVANNE_ENGINE_INLINE float process(float a, float b, float& outLeft, float& outRight)
    {
        __m128 g;
        const __m128 out = processPair(_mm_unpacklo_ps(_mm_set_ss(a), _mm_set_ss(b)), g);
        outLeft = _mm_cvtss_f32(out);
        outRight = _mm_cvtss_f32(_mm_shuffle_ps(out, out, _MM_SHUFFLE(3, 2, 0, 1)));
        return _mm_cvtss_f32(g);
    }
#else
    ORVANNE_ENGINE_INLINE float process(float a, float b, float& outLeft, float& outRight)
    {
        using namespace maximizer_detail;
        const double ad = a;
        const double bd = b;
        const double a2 = ad * ad;
        const double b2 = bd * bd;
        const double sq = (b2 > a2) ? b2 : a2;
        const double p = (sq + kDetectFloor) * static_cast<double>(inputGain);
        peak = (static_cast<double>(peak) < p) ? static_cast<float>(p) : peak;

        const float stepped = static_cast<float>(static_cast<double>(gain) + static_cast<double>(slope));
        capped = capped || (stepped > limit);
        gain = (limit < stepped) ? limit : stepped;
        smoothed = static_cast<float>(kSmoothKeep * static_cast<double>(smoothed) +
                                      kSmoothTake * static_cast<double>(gain));

        const uint32_t counted = counter;
        counter = counted + 1u;
        if (counted >= blockLength)
            replan();

        const uint32_t r = (write - lookahead) & mask;
        const uint32_t w = write & mask;
        const float dl = left[r];
        const float dr = right[r];
        left[w] = static_cast<float>(ad * static_cast<double>(inputGain));
        right[w] = static_cast<float>(bd * static_cast<double>(inputGain));
        write += 1u;

        outLeft = levelOutput(dl, smoothed, outputGain, clip);
        outRight = levelOutput(dr, smoothed, outputGain, clip);
        return gain;
    }
#endif

private:
    // A working copy lives in a long loop's own locals, where nothing the loop stores through
    // a float pointer can alias it (a __m128 may alias any float).
    Frames(const Frames&) = default;
    void copyStateFrom(const Frames& other)
    {
        gain = other.gain;
        smoothed = other.smoothed;
        slope = other.slope;
        limit = other.limit;
        capped = other.capped;
        peak = other.peak;
        counter = other.counter;
        write = other.write;
    }

#if ORVANNE_ENGINE_SSE2
    ORVANNE_ENGINE_INLINE void setSlope(__m128 s)
    {
        slope = s;
        limit = _mm_or_ps(_mm_and_ps(_mm_cmpgt_ss(s, _mm_setzero_ps()), _mm_set_ss(1.0f)),
                          _mm_andnot_ps(_mm_cmpgt_ss(s, _mm_setzero_ps()), _mm_set_ss(__builtin_inff())));
        capped = _mm_setzero_ps();
    }

    // Frames [i, end) of a chunk (peaks in pk), none of which ends a block, through the
    // unchecked step. The block peak takes their peaks first (the same MAXSS sequence, which
    // the gain steps do not depend on). Between two re-plans the cap can only hit the first
    // frame (a gain above 1 at the start) and then a run of frames up to the last (once the
    // gain sits at 1, 1 + slope passes 1 every frame or never), so checking the first and the
    // last frame keeps `capped` exact.
    template <class PerFrame>
    ORVANNE_ENGINE_INLINE void runClear(const float* pk, int32_t i, int32_t end, PerFrame&& perFrame)
    {
        // Four at a time: the block peak is never negative and no weighted peak is 0, so
        // starting the lanes at 0 and skipping NaNs (MAXPS answers its second operand) gives
        // the same value as the frame-by-frame MAXSS.
        __m128 lanes = _mm_setzero_ps();
        int32_t k = i;
        for (; k + 4 <= end; k += 4)
            lanes = _mm_max_ps(_mm_loadu_ps(pk + k), lanes);
        lanes = _mm_max_ps(lanes, _mm_movehl_ps(lanes, lanes));
        __m128 highest = _mm_max_ss(_mm_max_ss(lanes, _mm_shuffle_ps(lanes, lanes, _MM_SHUFFLE(3, 2, 1, 1))), peak);
        for (; k < end; ++k)
            highest = _mm_max_ss(_mm_load_ss(pk + k), highest);
        peak = highest;
        capped = _mm_or_ps(capped, _mm_cmplt_ss(limit, _mm_add_ss(gain, slope)));
        for (k = i; k < end; ++k) {
            step<false>(_mm_setzero_ps());
            perFrame(k);
        }
        capped = _mm_or_ps(capped, _mm_cmplt_ss(limit, stepped));
    }
    // Block peak (p: the frame's float(p) in lane 0), gain step with its cap, smoothing and the
    // block end. peak < p equals peak < float(p) except for a p that rounds to peak itself, so
    // MAXSS(float(p), peak) stores the same bits, and keeps the peak when p is NaN.
    // MINSS(limit, stepped) keeps stepped unless it passes the limit.
    // Checked false: the caller knows this frame ends no block, has taken the frame's peak
    // into the block peak and looks after `capped` (see runClear).
    template <bool Checked = true>
    ORVANNE_ENGINE_INLINE void step(__m128 p)
    {
        using namespace maximizer_detail;
        if (Checked)
            peak = _mm_max_ss(p, peak);
        stepped = _mm_add_ss(gain, slope);
        if (Checked)
            capped = _mm_or_ps(capped, _mm_cmplt_ss(limit, stepped));
        gain = _mm_min_ss(limit, stepped);
        // Smoothing: float(0.9 * smoothed + 0.1 * gain) in double. The packed conversions write
        // whole registers (no merge copies); lane 1 of both values is 0 and stays 0.
        const __m128d keep = _mm_mul_sd(_mm_cvtps_pd(smoothed), _mm_set_sd(kSmoothKeep));
        const __m128d take = _mm_mul_sd(_mm_cvtps_pd(gain), _mm_set_sd(kSmoothTake));
        smoothed = _mm_cvtpd_ps(_mm_add_sd(keep, take));

        const uint32_t counted = counter;
        counter = counted + 1u;
        if (Checked && __builtin_expect(counted >= blockLength, 0))
            replan();
    }

    // The block end: the engine plans the next slope from this frame's gain and block peak.
    ORVANNE_ENGINE_INLINE void replan()
    {
        setSlope(_mm_set_ss(engine.replan(_mm_cvtss_f32(gain), _mm_cvtss_f32(peak))));
        peak = _mm_setzero_ps();
        counter = 0;
    }
#else
    void setSlope(float s)
    {
        slope = s;
        limit = s > 0.0f ? 1.0f : __builtin_inff();
        capped = false;
    }
    void replan()
    {
        setSlope(engine.replan(gain, peak));
        peak = 0.0f;
        counter = 0;
    }
#endif

    CMaximizer& engine;
    float* left;
    float* right;
    uint32_t mask;
    uint32_t lookahead;
    uint32_t blockLength;
    uint32_t counter;
    uint32_t write;
#if ORVANNE_ENGINE_SSE2
    __m128 gain, smoothed, slope, limit, capped, peak;
    __m128 stepped = _mm_setzero_ps(); // the last gain + slope
    __m128 inputGain, outputGain, clipOn;
    __m128d inputGainD;
#else
    float gain, smoothed, slope, limit, peak;
    bool capped;
    float inputGain, outputGain;
    bool clip;
#endif
};

#if ORVANNE_ENGINE_SSE2
template <class Sink>
void CMaximizer::Frames::processChunks(const float* inLeft, const float* inRight, int32_t frames, Sink& sinkRef)
{
    using namespace maximizer_detail;
    // Working copies in locals (see the copy constructor); stored back at the end.
    Frames run(*this);
    Sink sink(sinkRef);
    const uint32_t ringSize = mask + 1u;
    uint32_t span = lookahead < ringSize - lookahead ? lookahead : ringSize - lookahead;
    span = span < 1u ? 1u : (span > static_cast<uint32_t>(kChunk) ? static_cast<uint32_t>(kChunk) : span);
    // The sink steps a chunk's frames in the next chunk's serial loop, and the last chunk's
    // frames alone after it. Runs of less than eight chunks go in eighths (at least
    // kShortChunk frames, a multiple of four), which leaves less of that work alone for a few
    // more chunk set-ups.
    if (frames < 8 * kChunk) {
        const uint32_t eighth = ((static_cast<uint32_t>(frames) >> 3) + 3u) & ~3u;
        const uint32_t shortSpan = eighth < static_cast<uint32_t>(kShortChunk) ? kShortChunk : eighth;
        span = shortSpan < span ? shortSpan : span;
    }
    const __m128d ig2 = _mm_unpacklo_pd(inputGainD, inputGainD);
    const bool clip = _mm_movemask_ps(clipOn) != 0;

    alignas(16) float a[kChunk];
    alignas(16) float b[kChunk];
    alignas(16) float pk[kChunk];
    alignas(16) float dl[kChunk];
    alignas(16) float dr[kChunk];
    alignas(16) float sg[kChunk];

    for (int32_t start = 0; start < frames;) {
        const int32_t n = (frames - start < static_cast<int32_t>(span)) ? frames - start : static_cast<int32_t>(span);
        const int32_t full = n & ~3;
        const int32_t padded = (n + 3) & ~3;
        const uint32_t count = static_cast<uint32_t>(n);
        const uint32_t r0 = (run.write - lookahead) & mask;
        const uint32_t w0 = run.write & mask;
        // A chunk that fits in the look-ahead reads delayed samples no write of its own touches,
        // so where neither run wraps around the ring, the inputs go into the ring as they are
        // read and the delayed samples come straight from it in the output stage. Otherwise
        // the delayed samples are copied out first and the inputs written after.
        const bool direct = lookahead >= count && r0 + count <= ringSize && w0 + count <= ringSize;
        if (!direct) {
            const uint32_t rFirst = ringSize - r0 < count ? ringSize - r0 : count;
            copyRun(dl, left + r0, rFirst);
            copyRun(dr, right + r0, rFirst);
            copyRun(dl + rFirst, left, count - rFirst);
            copyRun(dr + rFirst, right, count - rFirst);
            for (int32_t k = n; k < padded; ++k) {
                dl[k] = 0.0f;
                dr[k] = 0.0f;
            }
        }

        // Inputs as the engine sees them and their weighted peaks; the last group is padded
        // with zeros.
        for (int32_t i = 0; i < padded; i += 4) {
            __m128 x;
            __m128 y;
            if (__builtin_expect(i < full, 1)) {
                x = sink.input(_mm_loadu_ps(inLeft + start + i));
                y = sink.input(_mm_loadu_ps(inRight + start + i));
                if (direct) {
                    _mm_storeu_ps(left + w0 + i, _mm_mul_ps(x, inputGain));
                    _mm_storeu_ps(right + w0 + i, _mm_mul_ps(y, inputGain));
                } else {
                    _mm_store_ps(a + i, x);
                    _mm_store_ps(b + i, y);
                }
            } else {
                alignas(16) float tl[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                alignas(16) float tr[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                for (int32_t k = 0; k < n - i; ++k) {
                    tl[k] = inLeft[start + i + k];
                    tr[k] = inRight[start + i + k];
                }
                x = sink.input(_mm_load_ps(tl));
                y = sink.input(_mm_load_ps(tr));
                _mm_store_ps(a + i, x);
                _mm_store_ps(b + i, y);
            }
            _mm_store_ps(pk + i, peaks4(levels4(x, y), ig2));
        }
        if (direct) {
            scaleRun(left + w0 + full, a + full, count - static_cast<uint32_t>(full), inputGain);
            scaleRun(right + w0 + full, b + full, count - static_cast<uint32_t>(full), inputGain);
        } else {
            const uint32_t wFirst = ringSize - w0 < count ? ringSize - w0 : count;
            scaleRun(left + w0, a, wFirst, inputGain);
            scaleRun(right + w0, b, wFirst, inputGain);
            scaleRun(left, a + wFirst, count - wFirst, inputGain);
            scaleRun(right, b + wFirst, count - wFirst, inputGain);
        }
        run.write += count;

        // The serial part, split where blocks end: between block ends the loop has no re-plan
        // call in it, so the chains (the sink's too) stay in registers.
        for (int32_t i = 0; i < n;) {
            const uint32_t clear = run.counter < run.blockLength ? run.blockLength - run.counter : 0u;
            const int32_t end = clear < static_cast<uint32_t>(n - i) ? i + static_cast<int32_t>(clear) : n;
            if (i < end) {
                run.runClear(
                    pk, i, end, [&](int32_t k) __attribute__((always_inline)) {
                        _mm_store_ss(sg + k, run.smoothed);
                        sink.frame(k, run.gain);
                    });
                i = end;
            }
            if (i < n) {
                run.template step<true>(_mm_load_ss(pk + i));
                _mm_store_ss(sg + i, run.smoothed);
                sink.frame(i, run.gain);
                ++i;
            }
        }
        for (int32_t k = n; k < padded; ++k)
            sg[k] = 0.0f;

        // Output stage, four frames at a time into the sink.
        sink.beginOutputs(n);
        for (int32_t i = 0; i < padded; i += 4) {
            __m128 delayedLeft;
            __m128 delayedRight;
            if (direct && i < full) {
                delayedLeft = _mm_loadu_ps(left + r0 + i);
                delayedRight = _mm_loadu_ps(right + r0 + i);
            } else if (direct) {
                alignas(16) float tl[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                alignas(16) float tr[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                for (int32_t k = 0; k < n - i; ++k) {
                    tl[k] = left[r0 + i + k];
                    tr[k] = right[r0 + i + k];
                }
                delayedLeft = _mm_load_ps(tl);
                delayedRight = _mm_load_ps(tr);
            } else {
                delayedLeft = _mm_load_ps(dl + i);
                delayedRight = _mm_load_ps(dr + i);
            }
            const __m128 g4 = _mm_load_ps(sg + i);
            __m128 outLeft = _mm_mul_ps(_mm_mul_ps(delayedLeft, g4), outputGain);
            __m128 outRight = _mm_mul_ps(_mm_mul_ps(delayedRight, g4), outputGain);
            if (clip) {
                outLeft = ceiling(outLeft, outputGain);
                outRight = ceiling(outRight, outputGain);
            }
            sink.outputs(start + i, i, guard4Fast(outLeft), guard4Fast(outRight), n - i < 4 ? n - i : 4);
        }
        sink.endOutputs(n);
        start += n;
    }

    copyStateFrom(run);
    sinkRef = sink;
}
#endif
