#include "ValueText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace sweepfilter
{
namespace
{

void copyText(const char* source, char* text) noexcept
{
    std::memcpy(text, source, std::strlen(source) + 1);
}

// Writes the decimal digits of `value`, at least `minDigits` of them (zero padded); returns
// the number of characters written.
int writeDigits(std::uint32_t value, int minDigits, char* text) noexcept
{
    char reversed[10];
    int count = 0;
    do
    {
        reversed[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || count < minDigits);
    for (int i = 0; i < count; ++i)
        text[i] = reversed[count - 1 - i];
    return count;
}

} // namespace

void writeNumberText(float value, char* text) noexcept
{
    constexpr int width = 8;
    const double v = value;
    if (std::isnan(v))
        return copyText(notANumberText, text);

    int length = 0;
    double magnitude = v;
    if (v < 0.0)
    {
        magnitude = -v;
        if (magnitude > 9999999.0)
            return copyText(hugeText, text);
        text[length++] = '-';
    }
    else if (v > 99999999.0)
    {
        return copyText(hugeText, text);
    }
    magnitude = std::fabs(magnitude); // -0.0 is written as zero, without a sign

    const double integerPart = std::floor(magnitude);
    length += writeDigits(static_cast<std::uint32_t>(integerPart), 1, text + length);
    if (length < width)
    {
        text[length++] = '.';
        const int fractionDigits = width - length;
        if (fractionDigits > 0)
        {
            // Exact in double for every float: a float has at most 24 significant bits.
            constexpr double powersOfTen[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
            const double scaled = std::fmod(magnitude, 1.0) * powersOfTen[fractionDigits];
            length +=
                writeDigits(static_cast<std::uint32_t>(scaled), fractionDigits, text + length);
        }
    }
    text[length] = '\0';
}

void writeIntegerText(std::int32_t value, char* text) noexcept
{
    if (value >= 100000000)
        return copyText(hugeText, text);
    char printed[16];
    std::snprintf(printed, sizeof printed, "%7d", static_cast<int>(value));
    printed[8] = '\0';
    copyText(printed, text);
}

void writeWholeNumberText(float value, char* text) noexcept
{
    const double v = value;
    if (std::isnan(v))
        return copyText(notANumberText, text);
    if (v == 0.0)
        return copyText("0", text);
    // Exact for every float below 2^52, so halves round away from zero.
    const double rounded = std::floor(std::fabs(v) + 0.5);
    if (rounded > 99999999.0)
        return copyText(hugeText, text);
    if (rounded == 0.0)
        return copyText("", text);
    const int length = writeDigits(static_cast<std::uint32_t>(rounded), 1, text);
    text[length] = '\0';
}

} // namespace sweepfilter
