#pragma once

#include <bit>
#include <cstdint>

#ifdef __FAST_MATH__
#error "The effect's arithmetic must be IEEE exact: do not build it with -ffast-math."
#endif

namespace sweepfilter
{

inline constexpr std::uint32_t floatExponentMask = 0x7F800000u;

// True for +0.0, -0.0 and subnormals: the exponent field is all zeros.
inline bool hasZeroExponent(float value) noexcept
{
    return (std::bit_cast<std::uint32_t>(value) & floatExponentMask) == 0;
}

// True for infinities and NaNs: the exponent field is all ones.
inline bool isNonFinite(float value) noexcept
{
    return (std::bit_cast<std::uint32_t>(value) & floatExponentMask) == floatExponentMask;
}

} // namespace sweepfilter
