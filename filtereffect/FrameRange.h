#pragma once

#include <algorithm>
#include <cstdint>

#include "FilterEffect.h"

namespace sweepfilter
{

// Processes frames [from, to) of a host's stereo buffers, as the editions after 2.0 split a
// block at their events: the channel pointers moved to `from` (a missing buffer stays missing,
// and the effect then does nothing), in calls of at most 2^30 frames, since a process call
// counts its frames in 32 signed bits.
inline void processFrameRange(FilterEffect& effect, float* const (&in)[2], float* const (&out)[2],
                              std::uint32_t from, std::uint32_t to) noexcept
{
    while (from < to)
    {
        const std::uint32_t chunk = std::min<std::uint32_t>(to - from, 1u << 30);
        float* inputs[2] = {in[0] ? in[0] + from : nullptr, in[1] ? in[1] + from : nullptr};
        float* outputs[2] = {out[0] ? out[0] + from : nullptr, out[1] ? out[1] + from : nullptr};
        effect.processReplace(inputs, outputs, static_cast<std::int32_t>(chunk));
        from += chunk;
    }
}

} // namespace sweepfilter
