// The engine's shared arithmetic helpers (scalar and SSE2) and the choice between the SSE2 and
// the plain C++ forms. Internal to the engine and the effect's audio loop.
#pragma once

#include <cstdint>

#if (defined(__SSE2__) || defined(_M_X64)) && !defined(ORVANNE_ENGINE_PORTABLE)
#include <emmintrin.h>
#define ORVANNE_ENGINE_SSE2 1
#else
#define ORVANNE_ENGINE_SSE2 0
#endif

#define ORVANNE_ENGINE_INLINE inline __attribute__((always_inline))

// The arithmetic of one frame, shared by process(), processBlock() and audio loops that keep
// further per-frame state of their own next to the engine's (the effect's meters), so that the
// independent recurrences of both run in one loop and overlap.
//
// The SSE2 forms are bit-identical to the plain ones: a product of two floats is exact in
// double, so float(x*y) is the float product, and double rounding is harmless for one add or
// subtract of two floats; only the detection, the smoothing and the guards, whose constants
// are not floats, need double arithmetic. Selects are compares and masks, never branches.
namespace maximizer_detail {

constexpr double kTiny = 1e-18;        // output and slope guard
constexpr double kDetectFloor = 1e-30; // added to squared peaks and bypass input
constexpr double kSmoothKeep = 0.9;
constexpr double kSmoothTake = 0.1;

// float(float(v + 1e-18) - 1e-18): leaves anything above ~1e-10 unchanged and turns
// vanishing values into the residual float(1e-18) - 1e-18, keeping them out of denormals.
inline float guardTiny(double v)
{
    const float up = static_cast<float>(v + kTiny);
    return static_cast<float>(static_cast<double>(up) - kTiny);
}

#if ORVANNE_ENGINE_SSE2
// The tiny-value guard float(float(y + 1e-18) - 1e-18) on the two low lanes.
ORVANNE_ENGINE_INLINE __m128 guard2(__m128 y)
{
    const __m128d tiny = _mm_set1_pd(kTiny);
    const __m128 up = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(y), tiny));
    return _mm_cvtpd_ps(_mm_sub_pd(_mm_cvtps_pd(up), tiny));
}

// The ceiling on every lane: s = y < 0 ? -og : og; u = y*s; e = u > 1 ? u - 1 : 0;
// y = s*(u - e).
ORVANNE_ENGINE_INLINE __m128 ceiling(__m128 y, __m128 og)
{
    const __m128 ones = _mm_set1_ps(1.0f);
    const __m128 negative = _mm_cmplt_ps(y, _mm_setzero_ps());
    const __m128 s = _mm_xor_ps(og, _mm_and_ps(negative, _mm_set1_ps(-0.0f)));
    const __m128 u = _mm_mul_ps(y, s);
    const __m128 e = _mm_and_ps(_mm_cmpgt_ps(u, ones), _mm_sub_ps(u, ones));
    return _mm_mul_ps(s, _mm_sub_ps(u, e));
}

// Smoothed gain, output gain and (where clipOn is set) the ceiling on every lane:
// y = d*sg*og, then the ceiling.
ORVANNE_ENGINE_INLINE __m128 levelOutput(__m128 delayed, __m128 sg, __m128 og, __m128 clipOn)
{
    const __m128 y = _mm_mul_ps(_mm_mul_ps(delayed, sg), og);
    return _mm_or_ps(_mm_and_ps(clipOn, ceiling(y, og)), _mm_andnot_ps(clipOn, y));
}
#else
// Output gain and ceiling at T = 1.0: s = -og if y < 0 else +og; u = float(y*s);
// e = u > T ? float(u - T) : 0; y = float(s * float(u - e)); then the guard.
inline float levelOutput(float delayed, float sg, float og, bool clip)
{
    const float y = static_cast<float>(static_cast<double>(static_cast<float>(static_cast<double>(delayed) * sg)) * og);
    if (!clip)
        return guardTiny(y);
    const double s = (y < 0.0f) ? -static_cast<double>(og) : static_cast<double>(og);
    const float u = static_cast<float>(static_cast<double>(y) * s);
    const double ud = u;
    const float over = static_cast<float>(ud - 1.0);
    const float e = (ud > 1.0) ? over : 0.0f;
    const float kept = static_cast<float>(ud - static_cast<double>(e));
    return guardTiny(static_cast<float>(s * static_cast<double>(kept)));
}
#endif

} // namespace maximizer_detail

#if ORVANNE_ENGINE_SSE2
namespace maximizer_detail {

ORVANNE_ENGINE_INLINE __m128 guard4(__m128 y)
{
    return _mm_movelh_ps(guard2(y), guard2(_mm_movehl_ps(y, y)));
}

// The guard leaves every |y| >= 2^-30 as it is (infinities included): 1e-18 is far below half
// a float step there, so both roundings land on y again. Only a lane below that, or a NaN,
// needs the conversions.
ORVANNE_ENGINE_INLINE bool guardChanges(__m128 y)
{
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), y);
    return _mm_movemask_ps(_mm_cmpnge_ps(magnitude, _mm_set1_ps(0x1p-30f))) != 0;
}

ORVANNE_ENGINE_INLINE __m128 guard4Fast(__m128 y)
{
    return __builtin_expect(guardChanges(y), 0) ? guard4(y) : y;
}

// The detector level of four frames: max(|a|, |b|) per lane, where a NaN on the right counts
// as 0 and a NaN on the left makes the lane NaN. Its square is max(a², b²) with the engine's
// rule (MAXSD(b², a²): a tie or a NaN takes a²).
ORVANNE_ENGINE_INLINE __m128 levels4(__m128 a, __m128 b)
{
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 right = _mm_max_ps(_mm_andnot_ps(sign, b), _mm_setzero_ps()); // NaN -> 0
    return _mm_max_ps(right, _mm_andnot_ps(sign, a));                          // NaN a stays
}

// float((m² + 1e-30) × ig) on lanes 0 and 1.
ORVANNE_ENGINE_INLINE __m128 peaks2(__m128 m, __m128d ig)
{
    const __m128d d = _mm_cvtps_pd(m);
    return _mm_cvtpd_ps(_mm_mul_pd(_mm_add_pd(_mm_mul_pd(d, d), _mm_set1_pd(kDetectFloor)), ig));
}

// to[k] = from[k] and to[k] = from[k] × gain for k < n (the arrays do not overlap).
ORVANNE_ENGINE_INLINE void copyRun(float* to, const float* from, uint32_t n)
{
    uint32_t k = 0;
    for (; k + 4 <= n; k += 4)
        _mm_storeu_ps(to + k, _mm_loadu_ps(from + k));
    for (; k < n; ++k)
        to[k] = from[k];
}

ORVANNE_ENGINE_INLINE void scaleRun(float* to, const float* from, uint32_t n, __m128 gain)
{
    uint32_t k = 0;
    for (; k + 4 <= n; k += 4)
        _mm_storeu_ps(to + k, _mm_mul_ps(_mm_loadu_ps(from + k), gain));
    for (; k < n; ++k)
        _mm_store_ss(to + k, _mm_mul_ss(_mm_load_ss(from + k), gain));
}

// The weighted squared peaks of four frames from their levels.
ORVANNE_ENGINE_INLINE __m128 peaks4(__m128 m, __m128d ig)
{
    return _mm_movelh_ps(peaks2(m, ig), peaks2(_mm_movehl_ps(m, m), ig));
}

} // namespace maximizer_detail
#endif
