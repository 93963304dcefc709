#include "Controls.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "Parameters.h"

namespace sweepfilter
{
namespace
{

constexpr ControlGroup filterGroup{"filter", "Filter"}, sweepGroup{"sweep", "Sweep"},
    sendGroup{"send", "Flanger send"}, editionGroup{"edition", "Behaviour"};
constexpr std::array<ControlGroup, 4> groups = {filterGroup, sweepGroup, sendGroup, editionGroup};

constexpr ScalePoint algorithmPoints[] = {{"soft", 0.0f}, {"hard", 1.0f}};
constexpr ScalePoint modRangePoints[] = {{"off", 0.0f}};
constexpr ScalePoint resolutionPoints[] = {
    {"1 note", 1.0f},    {"2 notes", 2.0f},   {"3 notes", 3.0f},   {"4 notes", 4.0f},
    {"5 notes", 5.0f},   {"6 notes", 6.0f},   {"7 notes", 7.0f},   {"8 notes", 8.0f},
    {"16 notes", 16.0f}, {"32 notes", 32.0f}, {"48 notes", 48.0f}, {"64 notes", 64.0f},
    {"96 notes", 96.0f}};
constexpr ScalePoint behaviourPoints[] = {{"Modern", 0.0f}, {"Classic", 1.0f}};
constexpr ScalePoint syncPoints[] = {{"Free", 0.0f}, {"Host", 1.0f}};

constexpr std::array<ControlDescription, controlCount> descriptions = {{
    {"cutoff",
     "Cutoff",
     "Cutoff frequency of the filter; the centre of the sweep when the sweep is on.",
     &filterGroup,
     104.40182f,
     20000.078f,
     20000.0f,
     Unit::hertz,
     true,
     false,
     false,
     {}},
    {"q_factor",
     "Q Factor",
     "Resonance: 0 is smooth, towards 0.99 the filter rings at the cutoff.",
     &filterGroup,
     0.0f,
     0.99f,
     0.7425f,
     Unit::none,
     false,
     false,
     false,
     {}},
    {"algorithm", "Algorithm",
     "soft: a second-order low-pass; hard: a two-pole low-pass with resonant feedback.",
     &filterGroup, 0.0f, 1.0f, 0.0f, Unit::none, false, true, true, algorithmPoints},
    {"mod_range", "Mod Range",
     "Swing of the sweep: 0 switches it off, 100 to 5000 Hz sweep the cutoff up and down.",
     &sweepGroup, 0.0f, 5000.0f, 0.0f, Unit::hertz, false, false, false, modRangePoints},
    {"tempo",
     "Tempo",
     "Tempo of the sweep when it runs free.",
     &sweepGroup,
     60.0f,
     200.0f,
     120.0f,
     Unit::beatsPerMinute,
     false,
     false,
     false,
     {}},
    {"resolution", "Resolution", "Notes (beats) per sweep cycle.", &sweepGroup, 1.0f, 96.0f, 64.0f,
     Unit::none, false, true, true, resolutionPoints},
    {"send_flanger",
     "Send Flanger",
     "Level of the delayed dry signal mixed into the output.",
     &sendGroup,
     0.0f,
     100.0f,
     0.0f,
     Unit::percent,
     false,
     false,
     false,
     {}},
    {"flanger_delay",
     "Flanger Delay",
     "Delay of the dry signal that the send mixes in.",
     &sendGroup,
     0.0f,
     199.0f,
     40.0f,
     Unit::frames,
     false,
     true,
     false,
     {}},
    {"behaviour", "Behaviour",
     "Modern: Hz and BPM true at the host's rate, the sweep keeps its phase when controls move. "
     "Classic: the 2.0 plug-in's exact sound, tuned for 44.1 kHz.",
     &editionGroup, 0.0f, 1.0f, 0.0f, Unit::none, false, true, true, behaviourPoints},
    {"sync", "Sync",
     "Free: the Tempo control drives the sweep. Host: the host's tempo and position drive it "
     "(Modern only).",
     &sweepGroup, 0.0f, 1.0f, 0.0f, Unit::none, false, true, true, syncPoints},
    {"smoothing",
     "Smoothing",
     "Glide time of Cutoff, Q Factor, Send Flanger and the sweep's steps when they change: "
     "0 changes them at once, as Classic does; about 20 ms takes the zipper noise out of "
     "automation.",
     &editionGroup,
     0.0f,
     200.0f,
     0.0f,
     Unit::milliseconds,
     true,
     false,
     false,
     {}},
    {"enabled",
     "Enabled",
     "Off passes the input through, crossfaded over 5 ms; the effect keeps running meanwhile.",
     &editionGroup,
     0.0f,
     1.0f,
     1.0f,
     Unit::none,
     false,
     true,
     false,
     {},
     true,
     Designation::enabled},
}};

// The note counts of the resolution steps, from the step below q up to the one from 12q.
constexpr std::array<float, 13> resolutionNotes = {1, 2, 3, 4, 5, 6, 7, 8, 16, 32, 48, 64, 96};
// The float nearest 1/13: step k of the resolution spans k*q <= value < (k+1)*q.
constexpr double resolutionStep = std::bit_cast<float>(0x3D9D89D9u);

float clampToUnit(double value) noexcept
{
    return static_cast<float>(std::clamp(value, 0.0, 1.0));
}

// The middle of the resolution step whose note count is nearest at or below `notes`.
float resolutionValue(float notes) noexcept
{
    std::size_t step = 0;
    while (step + 1 < resolutionNotes.size() && resolutionNotes[step + 1] <= notes)
        ++step;
    return static_cast<float>((static_cast<double>(step) + 0.5) * resolutionStep);
}

float convert(Control control, float value) noexcept
{
    const double v = value;
    switch (control)
    {
    case Control::cutoffHz:
        // Cutoff Hz = exp((v + 1.5169) * 3.940517) - 290, solved for v.
        return clampToUnit(std::log(v + 290.0) / 3.940517 - 1.5169);
    case Control::qFactor:
        return clampToUnit(v / double{0.99f});
    case Control::algorithm:
        return value < 0.5f ? 0.0f : 1.0f;
    case Control::modRangeHz:
        // 0 switches the sweep off; anything above is at least the smallest range, 100 Hz.
        if (value <= 0.0f)
            return 0.0f;
        return std::max(clampToUnit((v - 100.0) / 4900.0), 1.0e-7f);
    case Control::tempoBpm:
        return clampToUnit((v - 60.0) / 140.0);
    case Control::resolution:
        return resolutionValue(value);
    case Control::sendPercent:
        return clampToUnit(v / 100.0);
    case Control::delaySamples:
        // The middle of the whole sample, so that the effect's truncation gives it back.
        return clampToUnit((std::floor(v) + 0.5) / 200.0);
    default:
        return 0.0f;
    }
}

} // namespace

const ControlDescription& describe(Control control) noexcept
{
    return descriptions[static_cast<std::size_t>(control)];
}

std::span<const ControlGroup> controlGroups() noexcept
{
    return groups;
}

std::optional<float> effectValue(Control control, float value) noexcept
{
    const auto index = static_cast<std::size_t>(control);
    if (std::isnan(value) || index >= parameterControlCount)
        return std::nullopt;
    const ControlDescription& d = describe(control);
    if (value == d.defaultValue)
        return defaultParameterValues[index];
    return convert(control, std::clamp(value, d.minimum, d.maximum));
}

float settledValue(Control control, float value) noexcept
{
    const ControlDescription& d = describe(control);
    if (std::isnan(value))
        return value;
    const float v = std::clamp(value, d.minimum, d.maximum);
    if (control == Control::resolution)
    {
        // The note count at or below, as resolutionValue picks it.
        float notes = resolutionNotes.front();
        for (float n : resolutionNotes)
            notes = n <= v ? n : notes;
        return notes;
    }
    if (control == Control::modRangeHz && v > 0.0f)
        return std::max(v, 100.0f);
    if (d.enumeration || d.toggle)
        return v >= 0.5f ? d.maximum : d.minimum; // the two-valued switches
    return d.integer ? std::floor(v) : v;
}

} // namespace sweepfilter
