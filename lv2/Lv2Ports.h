#pragma once

#include <cstdint>

#include "Controls.h"

namespace sweepfilter::lv2
{

// Port indices: the audio ports, the controls in their described order, then the atom port
// that carries the host's transport.
enum PortIndex : std::uint32_t
{
    inputLeft,
    inputRight,
    outputLeft,
    outputRight,
    firstControl,
    timePort = firstControl + controlCount,
    portCount
};

} // namespace sweepfilter::lv2
