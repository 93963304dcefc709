#include "FilterEffect.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sweepfilter
{
namespace
{

constexpr double longestSmoothingMs = 200.0;
constexpr double bypassFadeMs = 5.0;

std::uint32_t framesOf(double milliseconds, double sampleRate) noexcept
{
    return static_cast<std::uint32_t>(milliseconds / 1000.0 * sampleRate + 0.5);
}

} // namespace

// Smoothing and the bypass: glides of the filters' settings, the send and the wet share.

void FilterEffect::setSmoothing(float milliseconds) noexcept
{
    if (std::isnan(milliseconds))
        return;
    const double clamped = std::clamp(double{milliseconds}, 0.0, longestSmoothingMs);
    const std::uint32_t frames = framesOf(clamped, timeline_.sampleRate());
    smoothing_ = frames > 1;
    const bool wasGliding = filterGlide_.isGliding();
    filterGlide_.setLength(frames);
    sendGlide_.setLength(frames);
    // Without smoothing a glide in progress ends at once.
    if (wasGliding && !filterGlide_.isGliding())
        applyToFilter(filterGlide_.target());
}

void FilterEffect::setEnabled(bool on, bool crossfade) noexcept
{
    const Glide<1>::Values share{on ? 1.0f : 0.0f};
    if (!crossfade)
        return wetGlide_.jumpTo(share);
    wetGlide_.setLength(framesOf(bypassFadeMs, timeline_.sampleRate()));
    wetGlide_.setTarget(share);
}

bool FilterEffect::glidesTo(float first, float resonance, bool jump) noexcept
{
    const Glide<2>::Values setting{first, resonance};
    if (smoothing_ && !jumpFilter_ && !jump)
    {
        filterGlide_.setTarget(setting);
        if (filterGlide_.isGliding())
            return true;
    }
    filterGlide_.jumpTo(setting);
    return false;
}

void FilterEffect::applyFilterSetting(float first, float resonance) noexcept
{
    if (!glidesTo(first, resonance))
        applyToFilter({first, resonance});
}

void FilterEffect::applyPreparedStep(float first, float resonance, bool jump) noexcept
{
    if (glidesTo(first, resonance, jump))
        return;
    if (algorithm_ == Algorithm::soft)
        soft_->setCoefficients(prepared_.softCoefficients);
    else
        hard_->setFeedbackFactor(prepared_.hardFeedback);
}

void FilterEffect::applyToFilter(const Glide<2>::Values& setting) noexcept
{
    if (algorithm_ == Algorithm::soft)
        soft_->computeCoefficients(setting[0], setting[1], tuning_.sampleRate());
    else
        hard_->setFeedback(setting[0], setting[1]);
}

void FilterEffect::applySend() noexcept
{
    const Glide<1>::Values send{values_[sendFlangerParameter]};
    if (smoothing_)
        sendGlide_.setTarget(send);
    else
        sendGlide_.jumpTo(send);
}

} // namespace sweepfilter
