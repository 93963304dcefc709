#pragma once

#include <cstdint>

#include "Controls.h"

namespace sweepfilter::lv2
{

// Port indices: the audio ports, the first ten controls in their described order, the atom
// port that carries the host's transport, then the controls added since. A port keeps its
// index once published, so later controls only ever go at the end.
inline constexpr std::uint32_t controlsBeforeTime = 10;

enum PortIndex : std::uint32_t
{
    inputLeft,
    inputRight,
    outputLeft,
    outputRight,
    firstControl,
    timePort = firstControl + controlsBeforeTime,
    firstLaterControl,
    portCount = firstLaterControl + controlCount - controlsBeforeTime
};

constexpr std::uint32_t portOf(Control control) noexcept
{
    const auto k = static_cast<std::uint32_t>(control);
    return k < controlsBeforeTime ? firstControl + k : firstLaterControl + k - controlsBeforeTime;
}

// The control a port carries: controlCount for any other port.
constexpr std::uint32_t controlAt(std::uint32_t port) noexcept
{
    if (port >= firstControl && port < timePort)
        return port - firstControl;
    if (port >= firstLaterControl && port < portCount)
        return port - firstLaterControl + controlsBeforeTime;
    return controlCount;
}

} // namespace sweepfilter::lv2
