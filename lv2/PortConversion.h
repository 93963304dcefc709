#pragma once

#include <cstdint>
#include <optional>

namespace sweepfilter::lv2
{

// The effect's eight parameters as LV2 control ports, in the units the effect displays, and
// the conversion of a port value to the effect's 0..1 value (the inverse of the effect's
// mapping). A port value outside its range is limited to the range first; NaN gives no value
// (the parameter stays as it was). Each port's default stands for program 0's value exactly.

enum class ControlPort : std::int32_t
{
    cutoffHz,     // 104.40182 .. 20000.078, logarithmic
    qFactor,      // the resonance the effect shows: 0 .. 0.99
    algorithm,    // 0 soft, 1 hard
    modRangeHz,   // 0 off, or 100 .. 5000
    tempoBpm,     // 60 .. 200
    resolution,   // notes per sweep cycle: 1..8, 16, 32, 48, 64, 96
    sendPercent,  // 0 .. 100
    delaySamples, // 0 .. 199, whole samples
};

inline constexpr int controlPortCount = 8;

struct PortRange
{
    float minimum, maximum, defaultValue;
};

PortRange portRange(ControlPort port) noexcept;

// The effect's 0..1 value for a port value; none for NaN.
std::optional<float> effectValue(ControlPort port, float portValue) noexcept;

} // namespace sweepfilter::lv2
