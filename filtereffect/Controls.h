#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace sweepfilter
{

// The effect's controls as the plug-in standards after 2.0 show them, described once: the
// eight parameters in the units the effect displays, then the edition's own switches. Every
// standard's metadata (the LV2 Turtle, the CLAP parameter list) is made from this table.

enum class Control : std::int32_t
{
    cutoffHz,     // 104.40182 .. 20000.078, logarithmic
    qFactor,      // the resonance the effect shows: 0 .. 0.99
    algorithm,    // 0 soft, 1 hard
    modRangeHz,   // 0 off, or 100 .. 5000
    tempoBpm,     // 60 .. 200
    resolution,   // notes per sweep cycle: 1..8, 16, 32, 48, 64, 96
    sendPercent,  // 0 .. 100
    delaySamples, // 0 .. 199, whole samples
    behaviour,    // 0 Modern, 1 Classic
    sync,         // 0 Free, 1 Host
    smoothingMs,  // 0 .. 200: the glide of Cutoff, Q Factor, Send Flanger and the sweep
    enabled,      // 1 on, 0 bypassed (with a short crossfade)
};

inline constexpr int controlCount = 12;
// The first eight controls are the effect's parameters, in its order.
inline constexpr int parameterControlCount = 8;

enum class Unit
{
    none,
    hertz,
    beatsPerMinute,
    percent,
    frames,
    milliseconds,
};

// What a control means to a host beyond its value.
enum class Designation
{
    none,
    enabled, // the effect's on switch: hosts show it as their bypass
};

struct ScalePoint
{
    const char* label;
    float value;
};

struct ControlGroup
{
    const char* symbol;
    const char* name;
};

struct ControlDescription
{
    const char* symbol; // stable: hosts and presets store values under it
    const char* name;
    const char* comment;
    const ControlGroup* group;
    float minimum, maximum, defaultValue;
    Unit unit;
    bool logarithmic;
    bool integer;     // whole numbers only
    bool enumeration; // only the scale points
    std::span<const ScalePoint> scalePoints;
    bool toggle = false; // on (1) or off (0)
    Designation designation = Designation::none;
};

const ControlDescription& describe(Control control) noexcept;
std::span<const ControlGroup> controlGroups() noexcept;

// The effect's 0..1 value for a value of one of the eight parameter controls: limited to the
// control's range first; none for NaN. At its default each control gives program 0's value
// exactly.
std::optional<float> effectValue(Control control, float value) noexcept;

// The value a control holds as the effect takes it: within its range, whole numbers rounded
// down, an enumeration's or a switch's value on the point the effect picks, a Mod Range
// between 0 and 100 Hz at 100 Hz. NaN stays NaN.
float settledValue(Control control, float value) noexcept;

} // namespace sweepfilter
