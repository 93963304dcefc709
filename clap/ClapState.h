#pragma once

#include <array>
#include <optional>

#include "Controls.h"
#include "ClapExtensions.h"

namespace sweepfilter::clap
{

// The saved state: every control's value in a fixed little-endian layout, with a format
// version and a checksum:
//   "SWPF", version (uint32, 1), value count (uint32, 12), the values (float32, by control),
//   CRC-32 of all bytes before it (uint32).
using ControlValues = std::array<float, controlCount>;

inline constexpr std::uint32_t stateVersion = 1;
inline constexpr std::size_t stateSize = 4 + 4 + 4 + 4 * controlCount + 4;

// True when every byte was written.
bool saveState(const ControlValues& values, const clap_ostream& stream) noexcept;
// The values, when the stream holds exactly what saveState writes (in any number of reads)
// and every value is one a control can hold; none otherwise.
std::optional<ControlValues> loadState(const clap_istream& stream) noexcept;

} // namespace sweepfilter::clap
