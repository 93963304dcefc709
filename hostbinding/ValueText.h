#pragma once

#include <cstdint>

namespace sweepfilter
{

// Number texts for hosts: at most 8 characters and a terminating zero, so 9 bytes suffice.
// Digits are produced arithmetically from the exact binary value and cut, never rounded.

// Exactly 8 characters with a decimal point, the width filled with fraction digits
// ("0.699999" for 0.7f). Numbers that do not fit show " Huge!  ", NaN shows "  NaN   ".
// Integer parts one digit too wide for the point (10000000..99999999, or -1000000..-9999999)
// are written without it.
void writeNumberText(float value, char* text) noexcept;

// "%7d", cut to 8 characters; 100000000 and above show " Huge!  ".
void writeIntegerText(std::int32_t value, char* text) noexcept;

// The magnitude rounded to a whole number, halves away from zero, without sign or point:
// "0" for zero, empty below 0.5, " Huge!  " above 8 digits, "  NaN   " for NaN.
void writeWholeNumberText(float value, char* text) noexcept;

inline constexpr char hugeText[] = " Huge!  ";
inline constexpr char minusInfinityText[] = "  -oo   ";
inline constexpr char notANumberText[] = "  NaN   ";

} // namespace sweepfilter
