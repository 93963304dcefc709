#pragma once

#include <cstdint>
#include <optional>

#include "Controls.h"
#include "ClapExtensions.h"

namespace sweepfilter::clap
{

// The controls as CLAP parameters: one per control, its id the control's number (stable, as
// projects store values under it), in the control's units. The on switch shows as the host's
// bypass, so its value is inverted: 1 bypasses.
inline constexpr std::uint32_t parameterCount = controlCount;

std::optional<Control> controlOf(clap_id id) noexcept;
// False for an index at or beyond the count.
bool describeParameter(std::uint32_t index, clap_param_info& info) noexcept;

// The parameter's plain value for a control's value, and the control's value for a plain value
// (settled on what the effect takes; NaN for NaN).
double plainValue(Control control, float value) noexcept;
float controlValue(Control control, double plain) noexcept;

// The text a host shows, cut to the capacity (terminator included); false without room for
// the terminator. Reading accepts what writing gives, the scale points' labels, and numbers
// with or without the unit.
bool valueToText(Control control, double plain, char* text, std::uint32_t capacity) noexcept;
std::optional<double> textToValue(Control control, const char* text) noexcept;

} // namespace sweepfilter::clap
