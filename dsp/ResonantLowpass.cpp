#include "ResonantLowpass.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sweepfilter
{

#if defined(__SSE2__)

// Both channels side by side in one register: lane 0 left, lane 1 right, each lane doing the
// scalar operations in the same order. The recovery from a non-finite state is a rarely taken
// branch beside the chain.
void ResonantLowpass::processBlock(const float* inLeft, const float* inRight, float* outLeft,
                                   float* outRight, std::int32_t frames,
                                   float normalisedCutoff) noexcept
{
    const __m128d fb = _mm_set1_pd(feedback_), f = _mm_set1_pd(normalisedCutoff);
    __m128d s1 = _mm_set_pd(stage1Right_, stage1Left_);
    __m128d s2 = _mm_set_pd(stage2Right_, stage2Left_);
    const __m128i exponentMask = _mm_set1_epi32(static_cast<int>(floatExponentMask));

    for (std::int32_t i = 0; i < frames; ++i)
    {
        const __m128d x = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(inLeft + i), _mm_load_ss(inRight + i)));
        const __m128d loop = _mm_add_pd(_mm_mul_pd(_mm_sub_pd(s1, s2), fb), _mm_sub_pd(x, s1));
        const __m128 s1f = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(loop, f), s1));
        s1 = _mm_cvtps_pd(s1f);
        __m128 s2f = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(s1, s2), f), s2));
        s2 = _mm_cvtps_pd(s2f);
        // A lane whose new states are not both finite starts again from silence.
        const __m128i nonFinite = _mm_or_si128(
            _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(s1f), exponentMask), exponentMask),
            _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(s2f), exponentMask), exponentMask));
        if (_mm_movemask_ps(_mm_castsi128_ps(nonFinite)) & 3) [[unlikely]]
        {
            const __m128 keep = _mm_castsi128_ps(_mm_xor_si128(nonFinite, _mm_set1_epi32(-1)));
            const __m128d keepPair = _mm_castps_pd(_mm_unpacklo_ps(keep, keep));
            s1 = _mm_and_pd(s1, keepPair);
            s2 = _mm_and_pd(s2, keepPair);
            s2f = _mm_and_ps(s2f, keep);
        }
        _mm_store_ss(outLeft + i, s2f);
        _mm_store_ss(outRight + i, _mm_shuffle_ps(s2f, s2f, 1));
    }

    stage1Left_ = static_cast<float>(_mm_cvtsd_f64(s1));
    stage1Right_ = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(s1, s1)));
    stage2Left_ = static_cast<float>(_mm_cvtsd_f64(s2));
    stage2Right_ = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(s2, s2)));
}

#else

void ResonantLowpass::processBlock(const float* inLeft, const float* inRight, float* outLeft,
                                   float* outRight, std::int32_t frames,
                                   float normalisedCutoff) noexcept
{
    for (std::int32_t i = 0; i < frames; ++i)
    {
        const float left = inLeft[i], right = inRight[i];
        outLeft[i] = processLeft(left, normalisedCutoff);
        outRight[i] = processRight(right, normalisedCutoff);
    }
}

#endif

} // namespace sweepfilter
