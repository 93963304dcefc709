#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sweepfilter
{

// What a filter's block processing does with each filtered pair: the filters hand over the
// pair as floats and, on SSE2, also widened to doubles (left in lane 0), which is how their
// chain holds it anyway. Anything done here runs beside the filter's dependency chain.

// Stores the pair.
struct StoreOutput
{
    float* left;
    float* right;

#if defined(__SSE2__)
    void operator()(std::int32_t i, __m128 y, __m128d) const noexcept
    {
        _mm_store_ss(left + i, y);
        _mm_store_ss(right + i, _mm_shuffle_ps(y, y, 1));
    }
#endif
    void operator()(std::int32_t i, float yLeft, float yRight) const noexcept
    {
        left[i] = yLeft;
        right[i] = yRight;
    }
};

// Stores the input pair into a delay line run and takes the delayed pair back (when
// `withSend`: see FlangerDelay::nextRun), adds it scaled by `send`, then adds onto what the
// outputs already hold (when `accumulate`), each step in double and rounded to float once:
// out = float(float(delayed * send + y) + out). The inputs are read before the outputs are
// written, so they may be the same buffers.
template <bool withSend, bool accumulate>
struct MixOutput
{
    float* left;
    float* right;
    const float* inLeft = nullptr;
    const float* inRight = nullptr;
    float* writeLeft = nullptr;
    float* writeRight = nullptr;
    const float* readLeft = nullptr;
    const float* readRight = nullptr;
    float send = 0.0f;

#if defined(__SSE2__)
    void operator()(std::int32_t i, __m128 y, __m128d yWide) const noexcept
    {
        if constexpr (withSend)
        {
            writeLeft[i] = inLeft[i];
            writeRight[i] = inRight[i];
            const __m128d delayed = _mm_cvtps_pd(
                _mm_unpacklo_ps(_mm_load_ss(readLeft + i), _mm_load_ss(readRight + i)));
            y = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(delayed, _mm_set1_pd(send)), yWide));
            yWide = _mm_cvtps_pd(y);
        }
        if constexpr (accumulate)
        {
            const __m128d held =
                _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(left + i), _mm_load_ss(right + i)));
            y = _mm_cvtpd_ps(_mm_add_pd(yWide, held));
        }
        _mm_store_ss(left + i, y);
        _mm_store_ss(right + i, _mm_shuffle_ps(y, y, 1));
    }
#endif
    void operator()(std::int32_t i, float yLeft, float yRight) const noexcept
    {
        if constexpr (withSend)
        {
            writeLeft[i] = inLeft[i];
            writeRight[i] = inRight[i];
            yLeft = static_cast<float>(double{readLeft[i]} * send + yLeft);
            yRight = static_cast<float>(double{readRight[i]} * send + yRight);
        }
        if constexpr (accumulate)
        {
            yLeft = static_cast<float>(double{yLeft} + left[i]);
            yRight = static_cast<float>(double{yRight} + right[i]);
        }
        left[i] = yLeft;
        right[i] = yRight;
    }
};

} // namespace sweepfilter
