#include "PortConversion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "Parameters.h"

namespace sweepfilter::lv2
{
namespace
{

// The note counts of the resolution steps, from the step below q up to the one from 12q.
constexpr std::array<float, 13> resolutionNotes = {1, 2, 3, 4, 5, 6, 7, 8, 16, 32, 48, 64, 96};
// The float nearest 1/13: step k of the resolution spans k*q <= value < (k+1)*q.
constexpr double resolutionStep = std::bit_cast<float>(0x3D9D89D9u);

constexpr std::array<PortRange, controlPortCount> ranges = {{
    {104.40182f, 20000.078f, 20000.0f},
    {0.0f, 0.99f, 0.7425f},
    {0.0f, 1.0f, 0.0f},
    {0.0f, 5000.0f, 0.0f},
    {60.0f, 200.0f, 120.0f},
    {1.0f, 96.0f, 64.0f},
    {0.0f, 100.0f, 0.0f},
    {0.0f, 199.0f, 40.0f},
}};

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

float convert(ControlPort port, float value) noexcept
{
    const double v = value;
    switch (port)
    {
    case ControlPort::cutoffHz:
        // Cutoff Hz = exp((v + 1.5169) * 3.940517) - 290, solved for v.
        return clampToUnit(std::log(v + 290.0) / 3.940517 - 1.5169);
    case ControlPort::qFactor:
        return clampToUnit(v / double{0.99f});
    case ControlPort::algorithm:
        return value < 0.5f ? 0.0f : 1.0f;
    case ControlPort::modRangeHz:
        // 0 switches the sweep off; anything above is at least the smallest range, 100 Hz.
        if (value <= 0.0f)
            return 0.0f;
        return std::max(clampToUnit((v - 100.0) / 4900.0), 1.0e-7f);
    case ControlPort::tempoBpm:
        return clampToUnit((v - 60.0) / 140.0);
    case ControlPort::resolution:
        return resolutionValue(value);
    case ControlPort::sendPercent:
        return clampToUnit(v / 100.0);
    case ControlPort::delaySamples:
        // The middle of the whole sample, so that the effect's truncation gives it back.
        return clampToUnit((std::floor(v) + 0.5) / 200.0);
    }
    return 0.0f;
}

} // namespace

PortRange portRange(ControlPort port) noexcept
{
    return ranges[static_cast<std::size_t>(port)];
}

std::optional<float> effectValue(ControlPort port, float portValue) noexcept
{
    if (std::isnan(portValue))
        return std::nullopt;
    const PortRange range = portRange(port);
    if (portValue == range.defaultValue)
        return defaultParameterValues[static_cast<std::size_t>(port)];
    return convert(port, std::clamp(portValue, range.minimum, range.maximum));
}

} // namespace sweepfilter::lv2
