#include "LowpassBiquad.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sweepfilter
{

void LowpassBiquad::computeCoefficients(float cutoffHz, float resonance, float sampleRate) noexcept
{
    // 2*pi rounded to float (0x40C90FDB); the float constant is part of the result's bits.
    constexpr float twoPi = 6.2831855f;
    using F = float;
    const double q = resonance;
    const F t = F(1.0 / sampleRate);
    const F d = F((1.0 - q) + (1.0 - q)); // damping ratio
    const F w = F(double{cutoffHz} * twoPi);
    const F a = F(((double{w} * w) * t) * t);
    const F b = F((double{w} * d) * t);
    const F r = F((a - double{b} * 4.0) + 4.0);
    const F e = F((double{a} + a) - 8.0);
    const F g = F(1.0 / ((double{b} + 1.0) * 4.0 + a));

    coefficients_.a1 = F(double{g} * e);
    coefficients_.a2 = F(double{g} * r);
    coefficients_.b0 = F(double{g} * a);
    coefficients_.b2 = coefficients_.b0;
    coefficients_.b1 = F(double{coefficients_.b0} + coefficients_.b0);
}

#if defined(__SSE2__)

// Both channels side by side in one register: lane 0 left, lane 1 right. Each lane performs
// exactly the scalar operations in the same order, so the results are the same bits. Only
// the dependency on the previous output remains on the critical path; the flush of -0.0 and
// subnormal outputs is a rarely taken branch beside it.
void LowpassBiquad::processBlock(const float* inLeft, const float* inRight, float* outLeft,
                                 float* outRight, std::int32_t frames) noexcept
{
    const Coefficients& c = coefficients_;
    const __m128d b0 = _mm_set1_pd(c.b0), b1 = _mm_set1_pd(c.b1), b2 = _mm_set1_pd(c.b2);
    const __m128d a1 = _mm_set1_pd(c.a1), a2 = _mm_set1_pd(c.a2);
    __m128d x1 = _mm_set_pd(inputHistoryRight_[0], inputHistoryLeft_[0]);
    __m128d x2 = _mm_set_pd(inputHistoryRight_[1], inputHistoryLeft_[1]);
    __m128d y1 = _mm_set_pd(outputHistoryRight_[0], outputHistoryLeft_[0]);
    __m128d y2 = _mm_set_pd(outputHistoryRight_[1], outputHistoryLeft_[1]);
    const __m128i exponentMask = _mm_set1_epi32(static_cast<int>(floatExponentMask));
    const __m128i zero = _mm_setzero_si128();

    for (std::int32_t i = 0; i < frames; ++i)
    {
        const __m128d x = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(inLeft + i), _mm_load_ss(inRight + i)));
        const __m128d term = _mm_add_pd(_mm_add_pd(_mm_mul_pd(x2, b2), _mm_mul_pd(x, b0)), _mm_mul_pd(b1, x1));
        const __m128d y = _mm_sub_pd(_mm_sub_pd(term, _mm_mul_pd(a1, y1)), _mm_mul_pd(y2, a2));
        __m128 yf = _mm_cvtpd_ps(y);
        // Lanes with a zero exponent that are not already +0.0 (that is -0.0 or subnormal).
        const __m128i bits = _mm_castps_si128(yf);
        const __m128i needsFlush = _mm_andnot_si128(_mm_cmpeq_epi32(bits, zero),
                                                    _mm_cmpeq_epi32(_mm_and_si128(bits, exponentMask), zero));
        if (_mm_movemask_ps(_mm_castsi128_ps(needsFlush)) & 3) [[unlikely]]
            yf = _mm_andnot_ps(_mm_castsi128_ps(needsFlush), yf);
        _mm_store_ss(outLeft + i, yf);
        _mm_store_ss(outRight + i, _mm_shuffle_ps(yf, yf, 1));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = _mm_cvtps_pd(yf);
    }

    const auto lane = [](__m128d pair, int index) {
        return static_cast<float>(index == 0 ? _mm_cvtsd_f64(pair) : _mm_cvtsd_f64(_mm_unpackhi_pd(pair, pair)));
    };
    inputHistoryLeft_ = {lane(x1, 0), lane(x2, 0)};
    inputHistoryRight_ = {lane(x1, 1), lane(x2, 1)};
    outputHistoryLeft_ = {lane(y1, 0), lane(y2, 0)};
    outputHistoryRight_ = {lane(y1, 1), lane(y2, 1)};
}

#else

void LowpassBiquad::processBlock(const float* inLeft, const float* inRight, float* outLeft,
                                 float* outRight, std::int32_t frames) noexcept
{
    for (std::int32_t i = 0; i < frames; ++i)
    {
        const float left = inLeft[i], right = inRight[i];
        outLeft[i] = processLeft(left);
        outRight[i] = processRight(right);
    }
}

#endif

} // namespace sweepfilter
