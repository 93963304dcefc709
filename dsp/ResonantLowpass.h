#pragma once

#include <cstdint>

#include "FloatBits.h"

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
    // stage coefficient, with the states held in registers for the whole block. Outputs may
    // alias inputs.
    void processBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      std::int32_t frames, float normalisedCutoff) noexcept;

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

} // namespace sweepfilter
