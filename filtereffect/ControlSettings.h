#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "Controls.h"

namespace sweepfilter
{

class FilterEffect;

// The current values of the controls that the editions after 2.0 show, and how they reach an
// effect: whenever one of them changed, every setting is derived again from all values in one
// fixed order, so the sound depends on the values and not on the order they were moved in.
class ControlSettings
{
public:
    ControlSettings() noexcept;

    float value(Control control) const noexcept { return values_[index(control)]; }
    // NaN leaves the value as it was. True when the value changed. Inline: the editions read
    // every control on every block.
    bool set(Control control, float value) noexcept
    {
        float& current = values_[index(control)];
        if (std::isnan(value) ||
            std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(current))
            return false;
        current = value;
        changed_ = true;
        return true;
    }
    // The next apply starts the effect as a new one would start at these values: they apply at
    // once, without a glide or a crossfade.
    void restart() noexcept { fresh_ = true; }
    // Hands the values to the effect when any changed since the last apply, or after restart.
    void applyTo(FilterEffect& effect, float hostSampleRate) noexcept
    {
        if (changed_ || fresh_)
            apply(effect, hostSampleRate);
    }

private:
    void apply(FilterEffect& effect, float hostSampleRate) noexcept;
    static std::size_t index(Control control) { return static_cast<std::size_t>(control); }

    std::array<float, controlCount> values_;
    bool fresh_ = true;
    bool changed_ = false;
};

} // namespace sweepfilter
