#pragma once

#include <bit>
#include <cstdint>

namespace sweepfilter::test
{

inline std::uint32_t bitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }
inline float floatFromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

} // namespace sweepfilter::test
