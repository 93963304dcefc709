#include "ControlSettings.h"

#include "FilterEffect.h"

namespace sweepfilter
{

ControlSettings::ControlSettings() noexcept
{
    for (int k = 0; k < controlCount; ++k)
        values_[static_cast<std::size_t>(k)] = describe(static_cast<Control>(k)).defaultValue;
}

void ControlSettings::apply(FilterEffect& effect, float hostSampleRate) noexcept
{
    const bool fresh = fresh_;
    fresh_ = changed_ = false;
    const auto isSet = [this](Control c) { return value(c) >= 0.5f; };
    effect.setBehaviour(isSet(Control::behaviour) ? FilterEffect::Behaviour::classic
                                                  : FilterEffect::Behaviour::modern,
                        hostSampleRate);
    effect.setHostSync(isSet(Control::sync));
    effect.setEnabled(isSet(Control::enabled), !fresh);
    // A fresh effect takes its values at once; later changes glide when smoothing asks.
    if (!fresh)
        effect.setSmoothing(value(Control::smoothingMs));
    for (int k = 0; k < parameterControlCount; ++k)
        effect.setParameter(
            k, *effectValue(static_cast<Control>(k), values_[static_cast<std::size_t>(k)]));
    if (fresh)
        effect.setSmoothing(value(Control::smoothingMs));
}

} // namespace sweepfilter
