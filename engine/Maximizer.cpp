// The leveling engine. Stored state is 32-bit float; every intermediate is computed in
// double and rounded to float exactly where a value is stored, so the output bits are the
// same on every build (no fused multiply-adds, SSE2 scalar arithmetic on i686).
//
// The per-sample path is written with value selects instead of branches (the compiler turns
// them into compares and blends) and keeps the once-per-block re-plan out of line.
#include "Maximizer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#if (defined(__SSE2__) || defined(_M_X64)) && !defined(ORVANNE_ENGINE_PORTABLE)
#include <emmintrin.h>
#define ORVANNE_ENGINE_SSE2 1
#else
#define ORVANNE_ENGINE_SSE2 0
#endif

namespace {

constexpr double kDbToLinear = 0.11512925464970228;  // ln(10) / 20
constexpr double kTiny = 1e-18;                       // output and slope guard
constexpr double kDetectFloor = 1e-30;                // added to squared peaks and bypass input
constexpr double kSmoothKeep = 0.9;
constexpr double kSmoothTake = 0.1;
constexpr double kAllowancePerWeight = 0.0015;        // seconds of ramp per history weight
constexpr float kDefaultRate = 44100.0f;
constexpr int32_t kHistoryMask = CMaximizer::kHistorySize - 1;
// Longest block the geometry accepts; keeps the conversion to int32 defined at absurd rates.
constexpr double kMaxBlockLength = 1 << 24;

inline float dbToGain(double db) {
    return static_cast<float>(std::exp(db * kDbToLinear));
}

// float(float(v + 1e-18) - 1e-18): leaves anything above ~1e-10 unchanged and turns
// vanishing values into the residual float(1e-18) - 1e-18, keeping them out of denormals.
inline float guardTiny(double v) {
    const float up = static_cast<float>(v + kTiny);
    return static_cast<float>(static_cast<double>(up) - kTiny);
}

#if !ORVANNE_ENGINE_SSE2
// Output ceiling at T = 1.0 (10^(0/20)): s = -og if y < 0 else +og; u = float(y*s);
// e = u > T ? float(u - T) : 0; y = float(s * float(u - e)).
inline float ceiling(float y, float og) {
    const double s = (y < 0.0f) ? -static_cast<double>(og) : static_cast<double>(og);
    const float u = static_cast<float>(static_cast<double>(y) * s);
    const double ud = u;
    const float over = static_cast<float>(ud - 1.0);
    const float e = (ud > 1.0) ? over : 0.0f;
    const float kept = static_cast<float>(ud - static_cast<double>(e));
    return static_cast<float>(s * static_cast<double>(kept));
}
#endif

inline uint32_t asUnsigned(int32_t v) { return static_cast<uint32_t>(v); }
inline int32_t asSigned(uint32_t v) {
    int32_t r;
    std::memcpy(&r, &v, sizeof r);  // modular wrap without relying on conversion rules
    return r;
}

}  // namespace

CMaximizer::CMaximizer(float rate)
    : sampleRate(rate > 0.0f ? rate : kDefaultRate),  // 0 (and anything invalid) means 44100
      recoveryTime(0.0),
      delayLeft(nullptr),
      delayRight(nullptr),
      delaySize(kDelaySize),
      writeIndex(0),
      historyIndex(0),
      blockCounter(0),
      blockLength(0),
      peakHistory(nullptr),
      lookahead(0),
      gainSlope(0.0f),
      blockPeak(0.0f),
      gain(0.0f),
      smoothedGain(0.0f),
      targetLevel(0.0f),
      inputGain(0.0f),
      outputGain(0.0f),
      ceilingClip(0.0f) {
    delayLeft = static_cast<float*>(std::calloc(static_cast<size_t>(delaySize), sizeof(float)));
    delayRight = static_cast<float*>(std::calloc(static_cast<size_t>(delaySize), sizeof(float)));
    deriveGeometry();
    peakHistory = static_cast<float*>(std::calloc(kHistorySize, sizeof(float)));

    targetLevel = dbToGain(0.0);
    inputGain = dbToGain(0.0);
    setParam(1, 0.0f);
    setParam(2, 0.0f);
    setParam(3, 0.5f);
    setParam(5, 0.5f);
}

CMaximizer::~CMaximizer() {
    if (delayLeft) {
        std::free(delayLeft);
        delayLeft = nullptr;
    }
    if (delayRight) {
        std::free(delayRight);
        delayRight = nullptr;
    }
    if (peakHistory) {
        std::free(peakHistory);
        peakHistory = nullptr;
    }
}

void CMaximizer::deriveGeometry() {
    // lookahead = trunc(rate * 0.005), blockLength = trunc(rate / 2000), both bounded so the
    // read position stays inside the ring and the conversions stay defined.
    const double rate = sampleRate;
    double look = std::trunc(rate * 0.005);
    if (!(look >= 0.0)) look = 0.0;
    if (look > static_cast<double>(delaySize - 1)) look = static_cast<double>(delaySize - 1);
    double block = std::trunc(rate / 2000.0);
    if (!(block >= 0.0)) block = 0.0;
    if (block > kMaxBlockLength) block = kMaxBlockLength;
    lookahead = static_cast<int32_t>(look);
    blockLength = static_cast<int32_t>(block);
}

void CMaximizer::setParam(int32_t code, float value) {
    const double x = value;
    switch (code) {
    case 0:
        inputGain = dbToGain(40.0 * x - 20.0);
        break;
    case 1:
        targetLevel = dbToGain(-8.0 * x);
        break;
    case 2: {
        // Mode = trunc(4x); only 0..4 select a recovery time. Checked in double first so a
        // huge or NaN value never reaches the integer conversion.
        const double scaled = 4.0 * x;
        if (scaled > -1.0 && scaled < 5.0) {
            static const double kRecovery[5] = {0.02, 0.04, 0.06, 0.1, 1.0};
            recoveryTime = kRecovery[static_cast<int>(scaled)];
        }
        break;
    }
    case 3:
        gain = static_cast<float>(40.0 * x - 20.0);
        break;
    case 5:
        outputGain = dbToGain(40.0 * x - 20.0);
        break;
    case 6:
        ceilingClip = value;
        break;
    default:
        break;
    }
}

void CMaximizer::setSampleRate(float rate) {
    // Invalid rates (0, negative, NaN) are ignored; the engine keeps its current geometry.
    if (!(rate > 0.0f)) return;
    if (rate != sampleRate) {
        sampleRate = rate;
        deriveGeometry();
    }
}

void CMaximizer::reset() {
    if (delayLeft) std::memset(delayLeft, 0, static_cast<size_t>(delaySize) * sizeof(float));
    if (delayRight) std::memset(delayRight, 0, static_cast<size_t>(delaySize) * sizeof(float));
    if (peakHistory) std::memset(peakHistory, 0, kHistorySize * sizeof(float));
    blockPeak = 0.0f;
    blockCounter = 0;
    historyIndex = 0;
    gain = 1.0f;
    smoothedGain = 1.0f;
    gainSlope = 0.0f;
}

// Once per block: recovery slope towards unity, limited by the ten look-ahead candidates,
// then the block peak goes into the history.
void CMaximizer::replan() {
    const double rate = sampleRate;
    const double g = gain;
    float slope = static_cast<float>((1.0 - g) / (rate * recoveryTime));
    slope = guardTiny(slope);

    const uint32_t h0 = asUnsigned(historyIndex);
    const double target = targetLevel;
    for (int32_t m = 1; m <= 10; ++m) {
        const double h = peakHistory[(h0 - 10u + static_cast<uint32_t>(m)) & kHistoryMask];
        const float candidate = static_cast<float>(
            (target / h - g) / (static_cast<double>(m) * rate * kAllowancePerWeight + 1.0));
        slope = (slope > candidate) ? candidate : slope;
    }
    gainSlope = slope;

    peakHistory[h0 & kHistoryMask] = blockPeak;
    historyIndex = asSigned(h0 + 1u);
    blockCounter = 0;
    blockPeak = 0.0f;
}

// What the per-sample path carries from one frame to the next. process() loads it from the
// fields and stores it back every call; processBlock() keeps it in registers for a block.
struct CMaximizer::Running {
    float gain;
    float smoothed;
    float slope;
    float peak;
    uint32_t counter;
    uint32_t write;
};

// Controls and geometry as the per-sample path uses them, read once per call.
struct CMaximizer::Controls {
    float* left;
    float* right;
    uint32_t mask;
    uint32_t lookahead;
    uint32_t blockLength;
    float inputGain;
    double inputGainD;
    float outputGain;
    bool clip;
};

inline CMaximizer::Running CMaximizer::loadRunning() const {
    return Running{gain, smoothedGain, gainSlope, blockPeak, blockCounter, asUnsigned(writeIndex)};
}

inline void CMaximizer::storeRunning(const Running& st) {
    gain = st.gain;
    smoothedGain = st.smoothed;
    gainSlope = st.slope;
    blockPeak = st.peak;
    blockCounter = st.counter;
    writeIndex = asSigned(st.write);
}

inline CMaximizer::Controls CMaximizer::loadControls() const {
    return Controls{delayLeft,
                    delayRight,
                    static_cast<uint32_t>(delaySize - 1),
                    asUnsigned(lookahead),
                    static_cast<uint32_t>(blockLength),
                    inputGain,
                    static_cast<double>(inputGain),
                    outputGain,
                    ceilingClip > 0.5f};
}

// Detection, gain step, smoothing, block end and the ring: everything up to the delayed
// read, which it answers in dl, dr (before smoothing gain). Branch-free except for the
// once-per-block re-plan.
//
// The SSE2 forms below are bit-identical to the plain ones: a product of two floats is exact
// in double, so float(x*y) is the float product, and double rounding is harmless for one add
// or subtract of two floats; only the smoothing and the guards, whose constants are not
// floats, need double arithmetic.
inline void CMaximizer::levelFront(Running& st, const Controls& c, float a, float b, float& dl, float& dr) {
#if ORVANNE_ENGINE_SSE2
    // sq: MAXSD(b2, a2) answers b2 only when b2 > a2, so a tie or a NaN takes a2.
    const __m128d ad = _mm_cvtss_sd(_mm_setzero_pd(), _mm_set_ss(a));
    const __m128d bd = _mm_cvtss_sd(_mm_setzero_pd(), _mm_set_ss(b));
    const __m128d sq = _mm_max_sd(_mm_mul_sd(bd, bd), _mm_mul_sd(ad, ad));
    const __m128d p = _mm_mul_sd(_mm_add_sd(sq, _mm_set_sd(kDetectFloor)), _mm_set_sd(c.inputGainD));
    // peak < p  <=>  peak < float(p), except for a p that rounds to peak itself, so
    // MAXSS(float(p), peak) stores the same bits, and keeps the peak when p is NaN.
    st.peak = _mm_cvtss_f32(_mm_max_ss(_mm_cvtsd_ss(_mm_setzero_ps(), p), _mm_set_ss(st.peak)));

    const __m128 one = _mm_set_ss(1.0f);
    const __m128 slope = _mm_set_ss(st.slope);
    __m128 g = _mm_add_ss(_mm_set_ss(st.gain), slope);
    const __m128 cap = _mm_and_ps(_mm_cmpgt_ss(slope, _mm_setzero_ps()), _mm_cmpgt_ss(g, one));
    g = _mm_or_ps(_mm_and_ps(cap, one), _mm_andnot_ps(cap, g));
    st.slope = _mm_cvtss_f32(_mm_andnot_ps(cap, slope));
    st.gain = _mm_cvtss_f32(g);
#else
    const double ad = a;
    const double bd = b;
    const double a2 = ad * ad;
    const double b2 = bd * bd;
    const double sq = (b2 > a2) ? b2 : a2;
    const double p = (sq + kDetectFloor) * c.inputGainD;
    st.peak = (static_cast<double>(st.peak) < p) ? static_cast<float>(p) : st.peak;

    float g = static_cast<float>(static_cast<double>(st.gain) + static_cast<double>(st.slope));
    const bool cap = (st.slope > 0.0f) & (g > 1.0f);
    st.gain = cap ? 1.0f : g;
    st.slope = cap ? 0.0f : st.slope;
#endif
    st.smoothed = static_cast<float>(kSmoothKeep * static_cast<double>(st.smoothed) +
                                     kSmoothTake * static_cast<double>(st.gain));

    const uint32_t counted = st.counter;
    st.counter = counted + 1u;
    if (__builtin_expect(counted >= c.blockLength, 0)) {
        gain = st.gain;
        blockPeak = st.peak;
        replan();
        st.slope = gainSlope;
        st.peak = blockPeak;
        st.counter = blockCounter;
    }

    // Read before this sample's write: exactly `lookahead` samples of delay.
    const uint32_t r = (st.write - c.lookahead) & c.mask;
    const uint32_t w = st.write & c.mask;
    dl = c.left[r];
    dr = c.right[r];
    c.left[w] = a * c.inputGain;
    c.right[w] = b * c.inputGain;
    st.write += 1u;
}

#if ORVANNE_ENGINE_SSE2
namespace {

// Smoothed gain, output gain and ceiling on four lanes:
// y = d*sg*og; s = y < 0 ? -og : og; u = y*s; e = u > 1 ? u - 1 : 0; y = s*(u - e).
inline __m128 levelOutput(__m128 delayed, __m128 sg, __m128 og, __m128 clipOn) {
    const __m128 ones = _mm_set1_ps(1.0f);
    const __m128 y = _mm_mul_ps(_mm_mul_ps(delayed, sg), og);
    const __m128 negative = _mm_cmplt_ps(y, _mm_setzero_ps());
    const __m128 s = _mm_xor_ps(og, _mm_and_ps(negative, _mm_set1_ps(-0.0f)));
    const __m128 u = _mm_mul_ps(y, s);
    const __m128 e = _mm_and_ps(_mm_cmpgt_ps(u, ones), _mm_sub_ps(u, ones));
    const __m128 clipped = _mm_mul_ps(s, _mm_sub_ps(u, e));
    return _mm_or_ps(_mm_and_ps(clipOn, clipped), _mm_andnot_ps(clipOn, y));
}

// The tiny-value guard on the two low lanes.
inline __m128 guard2(__m128 y) {
    const __m128d tiny = _mm_set1_pd(kTiny);
    const __m128 up = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(y), tiny));
    return _mm_cvtpd_ps(_mm_sub_pd(_mm_cvtps_pd(up), tiny));
}

inline __m128 guard4(__m128 y) {
    return _mm_movelh_ps(guard2(y), guard2(_mm_movehl_ps(y, y)));
}

inline __m128 clipMask(bool clip) {
    return _mm_castsi128_ps(_mm_set1_epi32(clip ? -1 : 0));
}

}  // namespace
#else
namespace {

inline float levelOutput(float delayed, float sg, float og, bool clip) {
    const float y = static_cast<float>(
        static_cast<double>(static_cast<float>(static_cast<double>(delayed) * sg)) * og);
    const float c = ceiling(y, og);
    return guardTiny(clip ? c : y);
}

}  // namespace
#endif

float CMaximizer::process(float inLeft, float inRight, float& outLeft, float& outRight) {
    const Controls c = loadControls();
    Running st = loadRunning();
    float dl, dr;
    levelFront(st, c, inLeft, inRight, dl, dr);
    storeRunning(st);
#if ORVANNE_ENGINE_SSE2
    const __m128 out = guard2(levelOutput(_mm_unpacklo_ps(_mm_set_ss(dl), _mm_set_ss(dr)),
                                          _mm_set1_ps(st.smoothed), _mm_set1_ps(c.outputGain),
                                          clipMask(c.clip)));
    outLeft = _mm_cvtss_f32(out);
    outRight = _mm_cvtss_f32(_mm_shuffle_ps(out, out, 1));
#else
    outLeft = levelOutput(dl, st.smoothed, c.outputGain, c.clip);
    outRight = levelOutput(dr, st.smoothed, c.outputGain, c.clip);
#endif
    return st.gain;
}

namespace {

// Weighted squared peak of one stereo frame, float(p) with p = (max(a², b²) + 1e-30) × ig.
// Only float(p) is needed: `blockPeak < p` and `blockPeak < float(p)` differ only for a p that
// rounds to blockPeak itself, where storing float(p) changes nothing.
inline float framePeak(float a, float b, double ig) {
    const double a2 = static_cast<double>(a) * a;
    const double b2 = static_cast<double>(b) * b;
    return static_cast<float>(((b2 > a2 ? b2 : a2) + kDetectFloor) * ig);
}

// The gain a rising ramp may not pass: unity while the slope is positive, none otherwise.
// min(limit, gain + slope) is the step and its cap in one operation; the slope itself is only
// cleared when the running state is stored, which gives the same gains (a capped gain of 1
// plus a positive slope caps to 1 again).
inline float rampLimit(float slope) { return slope > 0.0f ? 1.0f : INFINITY; }

}  // namespace

void CMaximizer::processBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                              float* gains, int32_t frames) {
    constexpr int32_t kChunk = 64;
    const Controls c = loadControls();
    const uint32_t ringSize = c.mask + 1u;
    // A chunk reads its delayed samples before it writes its inputs, which is the
    // per-frame order as long as the two ranges cannot meet inside one chunk.
    uint32_t span = c.lookahead < ringSize - c.lookahead ? c.lookahead : ringSize - c.lookahead;
    span = span < 1u ? 1u : (span > static_cast<uint32_t>(kChunk) ? static_cast<uint32_t>(kChunk) : span);

    float g = gain;
    float sm = smoothedGain;
    float slope = gainSlope;
    float peak = blockPeak;
    float limit = rampLimit(slope);
    bool capped = false;
    uint32_t counter = blockCounter;
    uint32_t write = asUnsigned(writeIndex);

    for (int32_t start = 0; start < frames;) {
        const int32_t n = (frames - start < static_cast<int32_t>(span)) ? frames - start : static_cast<int32_t>(span);
        alignas(16) float dl[kChunk];
        alignas(16) float dr[kChunk];
        alignas(16) float sg[kChunk];
        alignas(16) float pk[kChunk];
        const float* a = inLeft + start;
        const float* b = inRight + start;

        // Detection, independent per frame.
        int32_t i = 0;
#if ORVANNE_ENGINE_SSE2
        const __m128d ig2 = _mm_set1_pd(c.inputGainD);
        const __m128d floor2 = _mm_set1_pd(kDetectFloor);
        for (; i + 2 <= n; i += 2) {
            const __m128 a4 = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(a + i)));
            const __m128 b4 = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(b + i)));
            const __m128d ad = _mm_cvtps_pd(a4);
            const __m128d bd = _mm_cvtps_pd(b4);
            const __m128d sq = _mm_max_pd(_mm_mul_pd(bd, bd), _mm_mul_pd(ad, ad));
            _mm_storel_pi(reinterpret_cast<__m64*>(pk + i), _mm_cvtpd_ps(_mm_mul_pd(_mm_add_pd(sq, floor2), ig2)));
        }
#endif
        for (; i < n; ++i) pk[i] = framePeak(a[i], b[i], c.inputGainD);

        // The ring: delayed samples out, weighted inputs in (each in at most two runs).
        const uint32_t r0 = (write - c.lookahead) & c.mask;
        const uint32_t w0 = write & c.mask;
        const uint32_t count = static_cast<uint32_t>(n);
        const uint32_t rFirst = ringSize - r0 < count ? ringSize - r0 : count;
        for (uint32_t k = 0; k < rFirst; ++k) {
            dl[k] = c.left[r0 + k];
            dr[k] = c.right[r0 + k];
        }
        for (uint32_t k = rFirst; k < count; ++k) {
            dl[k] = c.left[k - rFirst];
            dr[k] = c.right[k - rFirst];
        }
        const uint32_t wFirst = ringSize - w0 < count ? ringSize - w0 : count;
        for (uint32_t k = 0; k < wFirst; ++k) {
            c.left[w0 + k] = a[k] * c.inputGain;
            c.right[w0 + k] = b[k] * c.inputGain;
        }
        for (uint32_t k = wFirst; k < count; ++k) {
            c.left[k - wFirst] = a[k] * c.inputGain;
            c.right[k - wFirst] = b[k] * c.inputGain;
        }
        write += count;

        // The serial part: block peak, gain ramp, smoothing and the re-plan.
        for (i = 0; i < n; ++i) {
            // Plain selects, which compile to MAXSS and MINSS: MAXSS(pk, peak) keeps the peak
            // unless pk is larger, MINSS(limit, stepped) keeps stepped unless it passes limit.
            peak = pk[i] > peak ? pk[i] : peak;
            const float stepped = static_cast<float>(static_cast<double>(g) + static_cast<double>(slope));
            g = limit < stepped ? limit : stepped;
            capped |= stepped > limit;
            sm = static_cast<float>(kSmoothKeep * static_cast<double>(sm) + kSmoothTake * static_cast<double>(g));
            sg[i] = sm;
            if (gains) gains[start + i] = g;
            const uint32_t counted = counter;
            counter = counted + 1u;
            if (__builtin_expect(counted >= c.blockLength, 0)) {
                gain = g;
                blockPeak = peak;
                replan();
                slope = gainSlope;
                limit = rampLimit(slope);
                capped = false;
                peak = blockPeak;
                counter = blockCounter;
            }
        }

        // Output stage, independent per frame. The outputs may be the inputs: every input of
        // the chunk has been read by now.
        float* ol = outLeft + start;
        float* orr = outRight + start;
        i = 0;
#if ORVANNE_ENGINE_SSE2
        const __m128 og = _mm_set1_ps(c.outputGain);
        const __m128 clipOn = clipMask(c.clip);
        for (; i + 4 <= n; i += 4) {
            const __m128 g4 = _mm_load_ps(sg + i);
            _mm_storeu_ps(ol + i, guard4(levelOutput(_mm_load_ps(dl + i), g4, og, clipOn)));
            _mm_storeu_ps(orr + i, guard4(levelOutput(_mm_load_ps(dr + i), g4, og, clipOn)));
        }
        for (; i < n; ++i) {
            const __m128 out = guard2(levelOutput(_mm_unpacklo_ps(_mm_set_ss(dl[i]), _mm_set_ss(dr[i])),
                                                  _mm_set1_ps(sg[i]), og, clipOn));
            ol[i] = _mm_cvtss_f32(out);
            orr[i] = _mm_cvtss_f32(_mm_shuffle_ps(out, out, 1));
        }
#else
        for (; i < n; ++i) {
            ol[i] = levelOutput(dl[i], sg[i], c.outputGain, c.clip);
            orr[i] = levelOutput(dr[i], sg[i], c.outputGain, c.clip);
        }
#endif
        start += n;
    }

    gain = g;
    smoothedGain = sm;
    gainSlope = capped ? 0.0f : slope;
    blockPeak = peak;
    blockCounter = counter;
    writeIndex = asSigned(write);
}

float CMaximizer::processDelayOnly(float inLeft, float inRight, float& outLeft, float& outRight) {
    const uint32_t mask = static_cast<uint32_t>(delaySize - 1);
    const uint32_t w = asUnsigned(writeIndex);
    delayLeft[w & mask] = static_cast<float>(static_cast<double>(inLeft) + kDetectFloor);
    delayRight[w & mask] = static_cast<float>(static_cast<double>(inRight) + kDetectFloor);
    const uint32_t r = (w - asUnsigned(lookahead)) & mask;
    outLeft = guardTiny(delayLeft[r]);
    outRight = guardTiny(delayRight[r]);
    writeIndex = asSigned(w + 1u);
    return 0.0f;
}
