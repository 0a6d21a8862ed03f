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

float CMaximizer::process(float inLeft, float inRight, float& outLeft, float& outRight) {
    const double a = inLeft;
    const double b = inRight;

    // Detection: the larger square (left on a tie or NaN), weighted by the input gain.
    const double a2 = a * a;
    const double b2 = b * b;
    const double sq = (b2 > a2) ? b2 : a2;
    const double ig = inputGain;
    const double p = (sq + kDetectFloor) * ig;
    const float peak = blockPeak;
    blockPeak = (static_cast<double>(peak) < p) ? static_cast<float>(p) : peak;

    // Gain step, capped at unity only while rising.
    float slope = gainSlope;
    float g = static_cast<float>(static_cast<double>(gain) + static_cast<double>(slope));
    const bool cap = (slope > 0.0f) & (g > 1.0f);
    g = cap ? 1.0f : g;
    gainSlope = cap ? 0.0f : slope;
    gain = g;

    const float sg = static_cast<float>(kSmoothKeep * static_cast<double>(smoothedGain) +
                                        kSmoothTake * static_cast<double>(g));
    smoothedGain = sg;

    const uint32_t counted = blockCounter;
    blockCounter = counted + 1u;
    if (__builtin_expect(counted >= static_cast<uint32_t>(blockLength), 0)) replan();

    // Delayed read before this sample's write: exactly `lookahead` samples of delay.
    const uint32_t mask = static_cast<uint32_t>(delaySize - 1);
    const uint32_t w = asUnsigned(writeIndex);
    const uint32_t r = (w - asUnsigned(lookahead)) & mask;
    const double sgd = sg;
    float yl = static_cast<float>(static_cast<double>(delayLeft[r]) * sgd);
    float yr = static_cast<float>(static_cast<double>(delayRight[r]) * sgd);
    delayLeft[w & mask] = static_cast<float>(a * ig);
    delayRight[w & mask] = static_cast<float>(b * ig);
    writeIndex = asSigned(w + 1u);

    const float og = outputGain;
    yl = static_cast<float>(static_cast<double>(yl) * og);
    yr = static_cast<float>(static_cast<double>(yr) * og);
    const bool clip = ceilingClip > 0.5f;
    const float cl = ceiling(yl, og);
    const float cr = ceiling(yr, og);
    yl = clip ? cl : yl;
    yr = clip ? cr : yr;

    outLeft = guardTiny(yl);
    outRight = guardTiny(yr);
    return gain;
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
