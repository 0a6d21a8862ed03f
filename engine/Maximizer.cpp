// The leveling engine. Stored state is 32-bit float; every intermediate is computed in
// double and rounded to float exactly where a value is stored, so the output bits are the
// same on every build (no fused multiply-adds, SSE2 scalar arithmetic on i686).
//
// The per-frame arithmetic lives in MaximizerFrames.h (CMaximizer::Frames), so that audio loops can
// inline it next to their own per-frame work; the once-per-block re-plan stays here.
#include "MaximizerFrames.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

using maximizer_detail::guardTiny;
using maximizer_detail::kDetectFloor;

constexpr double kDbToLinear = 0.11512925464970228; // ln(10) / 20
constexpr double kAllowancePerWeight = 0.0015;      // seconds of ramp per history weight
constexpr float kDefaultRate = 44100.0f;
constexpr int32_t kHistoryMask = CMaximizer::kHistorySize - 1;
// Longest block the geometry accepts; keeps the conversion to int32 defined at absurd rates.
constexpr double kMaxBlockLength = 1 << 24;

inline float dbToGain(double db)
{
    return static_cast<float>(std::exp(db * kDbToLinear));
}

inline uint32_t asUnsigned(int32_t v)
{
    return static_cast<uint32_t>(v);
}
inline int32_t asSigned(uint32_t v)
{
    int32_t r;
    std::memcpy(&r, &v, sizeof r); // modular wrap without relying on conversion rules
    return r;
}

} // namespace

CMaximizer::CMaximizer(float rate)
    : sampleRate(rate > 0.0f ? rate : kDefaultRate), // 0 (and anything invalid) means 44100
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
      ceilingClip(0.0f)
{
    delayLeft = static_cast<float*>(std::calloc(static_cast<size_t>(delaySize), sizeof(float)));
    delayRight = static_cast<float*>(std::calloc(static_cast<size_t>(delaySize), sizeof(float)));
    deriveGeometry();
    peakHistory = static_cast<float*>(std::calloc(kHistorySize, sizeof(float)));

    targetLevel = dbToGain(0.0);
    inputGain = dbToGain(0.0);
    setParam(kControlTargetLevel, 0.0f);
    setParam(kControlRecoveryMode, 0.0f);
    setParam(kControlRawGain, 0.5f);
    setParam(kControlOutputGain, 0.5f);
}

CMaximizer::~CMaximizer()
{
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

void CMaximizer::deriveGeometry()
{
    // lookahead = trunc(rate * 0.005), blockLength = trunc(rate / 2000), both bounded so the
    // read position stays inside the ring and the conversions stay defined.
    const double rate = sampleRate;
    double look = std::trunc(rate * 0.005);
    if (!(look >= 0.0))
        look = 0.0;
    if (look > static_cast<double>(delaySize - 1))
        look = static_cast<double>(delaySize - 1);
    double block = std::trunc(rate / 2000.0);
    if (!(block >= 0.0))
        block = 0.0;
    if (block > kMaxBlockLength)
        block = kMaxBlockLength;
    lookahead = static_cast<int32_t>(look);
    blockLength = static_cast<int32_t>(block);
    for (int32_t m = 1; m <= 10; ++m)
        rampAllowance[m - 1] = static_cast<double>(m) * rate * kAllowancePerWeight + 1.0;
}

void CMaximizer::setParam(int32_t code, float value)
{
    const double x = value;
    switch (code) {
    case kControlInputGain:
        relaxedStore(inputGain, dbToGain(40.0 * x - 20.0));
        break;
    case kControlTargetLevel:
        relaxedStore(targetLevel, dbToGain(-8.0 * x));
        break;
    case kControlRecoveryMode: {
        // Mode = trunc(4x); only 0..4 select a recovery time. Checked in double first so a
        // huge or NaN value never reaches the integer conversion.
        const double scaled = 4.0 * x;
        if (scaled > -1.0 && scaled < 5.0) {
            static const double kRecovery[5] = {0.02, 0.04, 0.06, 0.1, 1.0};
            relaxedStore(recoveryTime, kRecovery[static_cast<int>(scaled)]);
        }
        break;
    }
    case kControlRawGain:
        gain = static_cast<float>(40.0 * x - 20.0);
        break;
    case kControlOutputGain:
        relaxedStore(outputGain, dbToGain(40.0 * x - 20.0));
        break;
    case kControlCeilingSwitch:
        relaxedStore(ceilingClip, value);
        break;
    default:
        break;
    }
}

void CMaximizer::setSampleRate(float rate)
{
    // Invalid rates (0, negative, NaN) are ignored; the engine keeps its current geometry.
    if (!(rate > 0.0f))
        return;
    if (rate != sampleRate) {
        sampleRate = rate;
        deriveGeometry();
    }
}

void CMaximizer::reset()
{
    if (delayLeft)
        std::memset(delayLeft, 0, static_cast<size_t>(delaySize) * sizeof(float));
    if (delayRight)
        std::memset(delayRight, 0, static_cast<size_t>(delaySize) * sizeof(float));
    if (peakHistory)
        std::memset(peakHistory, 0, kHistorySize * sizeof(float));
    quotientTarget = __builtin_nanf(""); // the quotients are redone at the next re-plan
    blockPeak = 0.0f;
    blockCounter = 0;
    historyIndex = 0;
    gain = 1.0f;
    smoothedGain = 1.0f;
    gainSlope = 0.0f;
}

// Once per block: recovery slope towards unity, limited by the ten look-ahead candidates,
// then the block peak goes into the history.
//
// The gain reaches the next frame only through the slope, so the work after the gain is known
// is kept short: the quotients target/h and the allowances come first, the guard on the
// recovery slope is skipped where it cannot change anything, and the smallest slope is found
// by a tree of pairwise picks instead of a chain of ten. The pick keeps the earlier of two
// equal values and a candidate that is not a number becomes +inf, so the tree answers what
// the chain "slope = (slope > candidate) ? candidate : slope" would: the first smallest, and
// a recovery slope that is not a number stays.
float CMaximizer::replan(float newGain, float newPeak)
{
    gain = newGain;
    blockPeak = newPeak;
    const double rate = sampleRate;
    const uint32_t h0 = asUnsigned(historyIndex);
    // The controls may change on another thread: each is read once.
    const float targetNow = relaxedLoad(targetLevel);
    const double target = targetNow;
    // target/h per history slot, kept from the re-plan that stored the slot (the divider is
    // then free for the divisions that wait for the gain); redone when the target changed.
    if (!(quotientTarget == targetNow)) {
        for (int32_t k = 0; k < kHistorySize; ++k)
            historyQuotient[k] = target / static_cast<double>(peakHistory[k]);
        quotientTarget = targetNow;
    }
    alignas(16) double quotient[10];
    const double* allowance = rampAllowance;
    for (int32_t m = 1; m <= 10; ++m)
        quotient[m - 1] = historyQuotient[(h0 - 10u + static_cast<uint32_t>(m)) & kHistoryMask];

    const double g = newGain;
    float slope[11];
    const float recovery = static_cast<float>((1.0 - g) / (rate * relaxedLoad(recoveryTime)));
    // The guard float(float(v + 1e-18) - 1e-18) leaves every |v| >= 2^-30 as it is.
    slope[0] = __builtin_expect(std::fabs(recovery) >= 0x1p-30f, 1) ? recovery : guardTiny(recovery);
#if ORVANNE_ENGINE_SSE2
    // Two candidates per division (each lane is the same IEEE division).
    const __m128d g2 = _mm_set1_pd(g);
    const __m128 inf = _mm_set1_ps(INFINITY);
    for (int32_t m = 0; m < 10; m += 2) {
        const __m128d q = _mm_div_pd(_mm_sub_pd(_mm_load_pd(quotient + m), g2), _mm_loadu_pd(allowance + m));
        const __m128 candidates = _mm_min_ps(_mm_cvtpd_ps(q), inf); // NaN never wins: MINPS answers inf
        slope[m + 1] = _mm_cvtss_f32(candidates);
        slope[m + 2] = _mm_cvtss_f32(_mm_shuffle_ps(candidates, candidates, _MM_SHUFFLE(3, 2, 0, 1)));
    }
#else
    for (int32_t m = 1; m <= 10; ++m) {
        const float candidate = static_cast<float>((quotient[m - 1] - g) / allowance[m - 1]);
        slope[m] = candidate < INFINITY ? candidate : INFINITY; // NaN never wins
    }
#endif
    // later < earlier ? later : earlier, over neighbouring ranges in order.
    auto pick = [](float earlier, float later) { return later < earlier ? later : earlier; };
    const float s01 = pick(slope[0], slope[1]);
    const float s23 = pick(slope[2], slope[3]);
    const float s45 = pick(slope[4], slope[5]);
    const float s67 = pick(slope[6], slope[7]);
    const float s89 = pick(slope[8], slope[9]);
    const float s03 = pick(s01, s23);
    const float s47 = pick(s45, s67);
    const float s810 = pick(s89, slope[10]);
    const float result = pick(pick(s03, s47), s810);
    gainSlope = result;

    peakHistory[h0 & kHistoryMask] = blockPeak;
    historyQuotient[h0 & kHistoryMask] = target / static_cast<double>(blockPeak);
    historyIndex = asSigned(h0 + 1u);
    blockCounter = 0;
    blockPeak = 0.0f;
    return result;
}

float CMaximizer::process(float inLeft, float inRight, float& outLeft, float& outRight)
{
    Frames frames(*this);
    const float g = frames.process(inLeft, inRight, outLeft, outRight);
    frames.finish();
    return g;
}

#if ORVANNE_ENGINE_SSE2
namespace {

// processBlock's sink: plain inputs; outputs and gains go to the caller's arrays.
struct BlockSink {
    float* outLeft;
    float* outRight;
    float* gains;

    __m128 input(__m128 x) { return x; }
    void frame(int32_t i, __m128 g)
    {
        if (gains)
            _mm_store_ss(gains + i, g);
    }
    void beginOutputs(int32_t) {}
    void outputs(int32_t at, int32_t, __m128 left, __m128 right, int32_t valid)
    {
        if (valid == 4) {
            _mm_storeu_ps(outLeft + at, left);
            _mm_storeu_ps(outRight + at, right);
            return;
        }
        alignas(16) float l[4];
        alignas(16) float r[4];
        _mm_store_ps(l, left);
        _mm_store_ps(r, right);
        for (int32_t k = 0; k < valid; ++k) {
            outLeft[at + k] = l[k];
            outRight[at + k] = r[k];
        }
    }
    void endOutputs(int32_t n)
    {
        if (gains)
            gains += n;
    }
};

} // namespace
#endif

void CMaximizer::processBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight, float* gains,
                              int32_t frames)
{
    Frames run(*this);
#if ORVANNE_ENGINE_SSE2
    BlockSink sink{outLeft, outRight, gains};
    run.processChunks(inLeft, inRight, frames, sink);
#else
    for (int32_t i = 0; i < frames; ++i) {
        // Both inputs are read before either output is written, so in-place buffers are fine.
        const float g = run.process(inLeft[i], inRight[i], outLeft[i], outRight[i]);
        if (gains)
            gains[i] = g;
    }
#endif
    run.finish();
}

float CMaximizer::processDelayOnly(float inLeft, float inRight, float& outLeft, float& outRight)
{
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
