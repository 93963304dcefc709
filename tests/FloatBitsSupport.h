#pragma once

#include <bit>
#include <cstdint>

namespace sweepfilter::test
{

inline std::uint32_t bitsOf(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}
inline float floatFromBits(std::uint32_t bits)
{
    return std::bit_cast<float>(bits);
}

// The bits of a value, with every NaN alike: which operand's NaN an operation passes on
// follows the operand order the compiler picks, which the language leaves open.
inline std::uint32_t comparableBits(float value)
{
    return value != value ? 0x7FC00000u : bitsOf(value);
}

} // namespace sweepfilter::test
