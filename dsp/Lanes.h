#pragma once

#include <cstdint>

#include "FloatBits.h"

#if !defined(__SSE2__)
#error "The filters' block form needs SSE2 (every x86-64 target has it; 32-bit builds pass -msse2)."
#endif
#include <emmintrin.h>

namespace sweepfilter::lanes
{

// The arithmetic of a filter step, for one channel (double and float) or for both channels
// side by side in one SSE2 register (DoublePair and FloatPair, left in lane 0). A filter's
// step is written once, as a template over these types, so its per-sample and block forms
// are the same code. Every operation is the IEEE one lane by lane, so both give the same bits.

struct DoublePair
{
    __m128d v;
};

struct FloatPair
{
    __m128 v;
};

inline DoublePair operator+(DoublePair a, DoublePair b) noexcept
{
    return {_mm_add_pd(a.v, b.v)};
}
inline DoublePair operator-(DoublePair a, DoublePair b) noexcept
{
    return {_mm_sub_pd(a.v, b.v)};
}
inline DoublePair operator*(DoublePair a, DoublePair b) noexcept
{
    return {_mm_mul_pd(a.v, b.v)};
}
inline DoublePair operator/(DoublePair a, DoublePair b) noexcept
{
    return {_mm_div_pd(a.v, b.v)};
}
inline DoublePair squareRoot(DoublePair a) noexcept
{
    return {_mm_sqrt_pd(a.v)};
}

// Lane by lane: all ones where the comparison holds (never for NaN), else zeros.
struct PairMask
{
    __m128d v;
};
inline PairMask operator>(DoublePair a, DoublePair b) noexcept
{
    return {_mm_cmpgt_pd(a.v, b.v)};
}
inline PairMask operator<(DoublePair a, DoublePair b) noexcept
{
    return {_mm_cmplt_pd(a.v, b.v)};
}
inline PairMask operator>=(DoublePair a, DoublePair b) noexcept
{
    return {_mm_cmpge_pd(a.v, b.v)};
}
inline PairMask operator&(PairMask a, PairMask b) noexcept
{
    return {_mm_and_pd(a.v, b.v)};
}
// Where `mask` holds, a; elsewhere b.
inline DoublePair select(PairMask mask, DoublePair a, DoublePair b) noexcept
{
    return {_mm_or_pd(_mm_and_pd(mask.v, a.v), _mm_andnot_pd(mask.v, b.v))};
}
// Whether the mask holds in lane 0 and lane 1.
inline bool all(PairMask mask) noexcept
{
    return _mm_movemask_pd(mask.v) == 3;
}

// Rounds to float (nearest, ties to even).
inline float narrow(double x) noexcept
{
    return static_cast<float>(x);
}
inline FloatPair narrow(DoublePair x) noexcept
{
    return {_mm_cvtpd_ps(x.v)};
}

// Widens exactly.
inline double widen(float x) noexcept
{
    return x;
}
inline DoublePair widen(FloatPair x) noexcept
{
    return {_mm_cvtps_pd(x.v)};
}

// Zeros and subnormals become +0.0; everything else passes unchanged.
inline float flushZeroExponent(float y) noexcept
{
    return hasZeroExponent(y) ? 0.0f : y;
}
inline FloatPair flushZeroExponent(FloatPair y) noexcept
{
    // Lanes with a zero exponent that are not already +0.0 (that is -0.0 or subnormal). The
    // flush is a rarely taken branch beside the filter's chain.
    const __m128i bits = _mm_castps_si128(y.v);
    const __m128i zero = _mm_setzero_si128();
    const __m128i exponentMask = _mm_set1_epi32(static_cast<int>(floatExponentMask));
    const __m128i needsFlush = _mm_andnot_si128(
        _mm_cmpeq_epi32(bits, zero), _mm_cmpeq_epi32(_mm_and_si128(bits, exponentMask), zero));
    if (_mm_movemask_ps(_mm_castsi128_ps(needsFlush)) & 3) [[unlikely]]
        return {_mm_andnot_ps(_mm_castsi128_ps(needsFlush), y.v)};
    return y;
}

// Where a lane's a or b is infinite or NaN, sets that lane of all four to zero.
inline void zeroWhereNonFinite(float a, float& b, double& wideA, double& wideB) noexcept
{
    if (isNonFinite(a) || isNonFinite(b)) [[unlikely]]
    {
        b = 0.0f;
        wideA = 0.0;
        wideB = 0.0;
    }
}
inline void zeroWhereNonFinite(FloatPair a, FloatPair& b, DoublePair& wideA,
                               DoublePair& wideB) noexcept
{
    const __m128i exponentMask = _mm_set1_epi32(static_cast<int>(floatExponentMask));
    const __m128i nonFinite = _mm_or_si128(
        _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(a.v), exponentMask), exponentMask),
        _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(b.v), exponentMask), exponentMask));
    if (_mm_movemask_ps(_mm_castsi128_ps(nonFinite)) & 3) [[unlikely]]
    {
        const __m128 keep = _mm_castsi128_ps(_mm_xor_si128(nonFinite, _mm_set1_epi32(-1)));
        const __m128d keepPair = _mm_castps_pd(_mm_unpacklo_ps(keep, keep));
        wideA.v = _mm_and_pd(wideA.v, keepPair);
        wideB.v = _mm_and_pd(wideB.v, keepPair);
        b.v = _mm_and_ps(b.v, keep);
    }
}

// Both channels' samples i, widened.
inline DoublePair loadPair(const float* left, const float* right, std::int32_t i) noexcept
{
    return {_mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(left + i), _mm_load_ss(right + i)))};
}

inline DoublePair pairOf(double left, double right) noexcept
{
    return {_mm_set_pd(right, left)};
}

// One value in every lane.
template <typename Wide>
Wide broadcast(double value) noexcept;
template <>
inline double broadcast<double>(double value) noexcept
{
    return value;
}
template <>
inline DoublePair broadcast<DoublePair>(double value) noexcept
{
    return {_mm_set1_pd(value)};
}

inline double leftOf(DoublePair x) noexcept
{
    return _mm_cvtsd_f64(x.v);
}
inline double rightOf(DoublePair x) noexcept
{
    return _mm_cvtsd_f64(_mm_unpackhi_pd(x.v, x.v));
}

} // namespace sweepfilter::lanes
