#pragma once

#include <cstdint>

#include "Lanes.h"

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
        feedback_ = feedbackFor(normalisedCutoff, resonance);
    }
    // A feedback factor from feedbackFor.
    void setFeedbackFactor(float feedback) noexcept { feedback_ = feedback; }
    static float feedbackFor(float normalisedCutoff, float resonance) noexcept
    {
        const double q = resonance;
        const double gap = 1.0 - double{normalisedCutoff};
        return gap == 0.0 ? 0.0f : static_cast<float>(q / gap + q);
    }

    float processLeft(float sample, float normalisedCutoff) noexcept
    {
        return processOne(stage1Left_, stage2Left_, sample, normalisedCutoff);
    }

    float processRight(float sample, float normalisedCutoff) noexcept
    {
        return processOne(stage1Right_, stage2Right_, sample, normalisedCutoff);
    }

    // The same as calling processLeft and processRight for each frame in turn with the same
    // stage coefficient and handing each output pair to `output` (see StereoOutput.h), with
    // both channels in one register and the states held there for the whole block. The
    // output may write where the inputs are read.
    template <typename Output>
    void processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                      float normalisedCutoff, const Output& output) noexcept;

    // The same with a stage coefficient and resonance that change on every frame: frame i
    // runs with settingOf(i) (a Setting), which depends on nothing the filter holds, so it is
    // worked out beside the filter's own chain. The last frame's feedback stays.
    struct Setting
    {
        float normalisedCutoff;
        float resonance;
    };
    template <typename SettingOf, typename Output>
    void processGliding(const float* inLeft, const float* inRight, std::int32_t frames,
                        const SettingOf& settingOf, const Output& output) noexcept;

    float feedback() const noexcept { return feedback_; }
    float stage1Left() const noexcept { return stage1Left_; }
    float stage2Left() const noexcept { return stage2Left_; }
    float stage1Right() const noexcept { return stage1Right_; }
    float stage2Right() const noexcept { return stage2Right_; }

private:
    // The stage coefficient and feedback of one frame, for both channels.
    struct WideSetting
    {
        lanes::DoublePair f, feedback;
    };
    // Both channels' stages through the block and back; frame i runs with settingAt(i).
    template <typename SettingAt, typename Output>
    void run(const float* inLeft, const float* inRight, std::int32_t frames,
             const SettingAt& settingAt, const Output& output) noexcept;

    // One sample of both stages, for one channel (double) or both (DoublePair); the states are
    // widened floats. A state that overflowed or turned NaN would otherwise poison the channel
    // for the rest of the effect's life; the channel starts again from silence instead.
    template <typename Wide>
    static auto step(Wide& s1, Wide& s2, Wide x, Wide f, Wide fb) noexcept
    {
        const auto s1Rounded = lanes::narrow(((s1 - s2) * fb + (x - s1)) * f + s1);
        s1 = lanes::widen(s1Rounded);
        auto s2Rounded = lanes::narrow((s1 - s2) * f + s2);
        s2 = lanes::widen(s2Rounded);
        lanes::zeroWhereNonFinite(s1Rounded, s2Rounded, s1, s2);
        return s2Rounded;
    }

    float processOne(float& stage1, float& stage2, float sample, float f) noexcept
    {
        double s1 = stage1, s2 = stage2;
        const float y = step(s1, s2, double{sample}, double{f}, double{feedback_});
        stage1 = static_cast<float>(s1);
        stage2 = y;
        return y;
    }

    float stage1Left_ = 0.0f;
    float stage2Left_ = 0.0f;
    float stage1Right_ = 0.0f;
    float stage2Right_ = 0.0f;
    float feedback_ = 0.0f;
};

template <typename Output>
void ResonantLowpass::processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                                   float normalisedCutoff, const Output& output) noexcept
{
    const WideSetting setting{lanes::broadcast<lanes::DoublePair>(normalisedCutoff),
                              lanes::broadcast<lanes::DoublePair>(feedback_)};
    run(
        inLeft, inRight, frames, [&](std::int32_t) -> const auto& { return setting; }, output);
}

template <typename SettingOf, typename Output>
void ResonantLowpass::processGliding(const float* inLeft, const float* inRight, std::int32_t frames,
                                     const SettingOf& settingOf, const Output& output) noexcept
{
    if (frames <= 0)
        return;
    using lanes::DoublePair, lanes::broadcast;
    run(
        inLeft, inRight, frames,
        [&](std::int32_t i) {
            const Setting setting = settingOf(i);
            return WideSetting{
                broadcast<DoublePair>(setting.normalisedCutoff),
                broadcast<DoublePair>(feedbackFor(setting.normalisedCutoff, setting.resonance))};
        },
        output);
    const Setting last = settingOf(frames - 1);
    setFeedback(last.normalisedCutoff, last.resonance);
}

template <typename SettingAt, typename Output>
void ResonantLowpass::run(const float* inLeft, const float* inRight, std::int32_t frames,
                          const SettingAt& settingAt, const Output& output) noexcept
{
    lanes::DoublePair s1 = lanes::pairOf(stage1Left_, stage1Right_);
    lanes::DoublePair s2 = lanes::pairOf(stage2Left_, stage2Right_);
    for (std::int32_t i = 0; i < frames; ++i)
    {
        const WideSetting& setting = settingAt(i);
        const lanes::FloatPair y =
            step(s1, s2, lanes::loadPair(inLeft, inRight, i), setting.f, setting.feedback);
        output(i, y, s2);
    }
    stage1Left_ = lanes::narrow(lanes::leftOf(s1));
    stage1Right_ = lanes::narrow(lanes::rightOf(s1));
    stage2Left_ = lanes::narrow(lanes::leftOf(s2));
    stage2Right_ = lanes::narrow(lanes::rightOf(s2));
}

} // namespace sweepfilter
