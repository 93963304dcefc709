#pragma once

#include <cstdint>

#include "FloatBits.h"
#include "StereoOutput.h"

namespace sweepfilter
{

// The "hard" filter: per channel two one-pole low-pass stages in cascade, the difference of
// the stage states fed back into the first stage for resonance. The stage coefficient is the
// normalised cutoff f itself (no sample-rate conversion), passed with every sample; the
// feedback factor is shared by both channels and set from (f, resonance). There is no reset:
// the states run from construction to destruction.
//
// Every step is evaluated in double from float operands and rounded to float once, in the
// order written: the rounding points and the order of terms are part of the behaviour.
class ResonantLowpass
{
public:
    // feedback = q / (1 - f) + q. At f == 1 exactly the quotient has no finite value; the
    // feedback is then 0 (two plain one-pole stages), so no infinity or NaN enters the loop.
    void setFeedback(float normalisedCutoff, float resonance) noexcept
    {
        const double q = resonance;
        const double gap = 1.0 - double{normalisedCutoff};
        feedback_ = gap == 0.0 ? 0.0f : static_cast<float>(q / gap + q);
    }

    float processLeft(float sample, float normalisedCutoff) noexcept
    {
        return step(stage1Left_, stage2Left_, sample, normalisedCutoff);
    }

    float processRight(float sample, float normalisedCutoff) noexcept
    {
        return step(stage1Right_, stage2Right_, sample, normalisedCutoff);
    }

    // The same as calling processLeft and processRight for each frame in turn with the same
    // stage coefficient and handing each output pair to `output` (see StereoOutput.h), with
    // the states held in registers for the whole block. The output may write where the inputs
    // are read.
    template <typename Output>
    void processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                      float normalisedCutoff, const Output& output) noexcept;

    float feedback() const noexcept { return feedback_; }
    float stage1Left() const noexcept { return stage1Left_; }
    float stage2Left() const noexcept { return stage2Left_; }
    float stage1Right() const noexcept { return stage1Right_; }
    float stage2Right() const noexcept { return stage2Right_; }

private:
    float step(float& s1, float& s2, float x, float f) const noexcept
    {
        const double fb = feedback_;
        s1 = static_cast<float>(((double{s1} - s2) * fb + (double{x} - s1)) * f + s1);
        s2 = static_cast<float>((double{s1} - s2) * f + s2);
        // A state that overflowed or turned NaN would otherwise poison the channel for the
        // rest of the effect's life; silence the channel instead so it recovers.
        if (isNonFinite(s1) || isNonFinite(s2)) [[unlikely]]
        {
            s1 = 0.0f;
            s2 = 0.0f;
        }
        return s2;
    }

    float stage1Left_ = 0.0f;
    float stage2Left_ = 0.0f;
    float stage1Right_ = 0.0f;
    float stage2Right_ = 0.0f;
    float feedback_ = 0.0f;
};

#if defined(__SSE2__)

// Both channels side by side in one register: lane 0 left, lane 1 right, each lane doing the
// scalar operations in the same order. The recovery from a non-finite state is a rarely taken
// branch beside the chain.
template <typename Output>
void ResonantLowpass::processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                                   float normalisedCutoff, const Output& output) noexcept
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
        output(i, s2f, s2);
    }

    stage1Left_ = static_cast<float>(_mm_cvtsd_f64(s1));
    stage1Right_ = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(s1, s1)));
    stage2Left_ = static_cast<float>(_mm_cvtsd_f64(s2));
    stage2Right_ = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(s2, s2)));
}

#else

template <typename Output>
void ResonantLowpass::processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                                   float normalisedCutoff, const Output& output) noexcept
{
    for (std::int32_t i = 0; i < frames; ++i)
    {
        const float left = inLeft[i], right = inRight[i];
        const float yLeft = processLeft(left, normalisedCutoff);
        output(i, yLeft, processRight(right, normalisedCutoff));
    }
}

#endif

} // namespace sweepfilter
