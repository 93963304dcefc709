#pragma once

#include <array>
#include <cstddef>

#include "Lanes.h"

namespace sweepfilter::tuning
{

// The rate tuning runs on every sweep step, so it uses short series instead of the C
// library's functions: relative errors below 1e-9 (far below what moves a response), only
// additions, multiplications and divisions in a fixed order, so the same bits on every
// platform. Written for one value (double) or two side by side (lanes::DoublePair), which
// give the same bits lane by lane.

inline constexpr double pi = 3.141592653589793;
// How close to half the host's rate a moved corner or pole may come.
inline constexpr double highestAngle = 0.98 * pi;
inline constexpr double highestSoftAngle = 0.49 * pi;
inline constexpr double ln2 = 0.6931471805599453, inverseLn2 = 1.4426950408889634;
inline constexpr double sqrtTwo = 1.4142135623730951;
// Where atan's argument is reduced around pi/2 or pi/4: tan(3 pi/8) and tan(pi/8).
inline constexpr double tanThreeEighthsPi = 2.414213562373095;
inline constexpr double tanEighthPi = 0.41421356237309503;

// 1/1, -1/3, 1/5, ...: the series of atan; and 1/1, 1/3, 1/5, ...: that of atanh.
template <std::size_t count>
constexpr std::array<double, count> oddReciprocals(double sign) noexcept
{
    std::array<double, count> values{};
    double s = 1.0;
    for (std::size_t k = 0; k < count; ++k, s *= sign)
        values[k] = s / static_cast<double>(2 * k + 1);
    return values;
}

inline constexpr auto arcTangentSeries = oddReciprocals<10>(-1.0); // to t^19
inline constexpr auto logSeries = oddReciprocals<6>(1.0);
inline constexpr auto cosineSeries = [] { // to a^16
    std::array<double, 9> values{};
    double term = 1.0;
    for (std::size_t k = 0; k < values.size(); ++k)
    {
        values[k] = term;
        term /= -static_cast<double>((2 * k + 1) * (2 * k + 2));
    }
    return values;
}();
inline constexpr auto exponentialSeries = [] { // to t^10
    std::array<double, 11> values{};
    double term = 1.0;
    for (std::size_t n = 0; n < values.size(); ++n)
    {
        values[n] = term;
        term /= static_cast<double>(n + 1);
    }
    return values;
}();

// c[0] + c[1] x + c[2] x^2 + ...: neighbours paired with x, the pairs paired with x^2, and
// so on (Estrin's scheme), so the chain of dependent operations grows with the logarithm of
// the degree rather than with the degree.
template <typename Value, std::size_t count>
Value polynomial(Value x, const std::array<double, count>& coefficients) noexcept
{
    std::array<Value, count> c;
    for (std::size_t k = 0; k < count; ++k)
        c[k] = lanes::broadcast<Value>(coefficients[k]);
    std::size_t terms = count;
    for (Value step = x; terms > 1; step = step * step)
    {
        for (std::size_t k = 0; 2 * k < terms; ++k)
            c[k] = 2 * k + 1 < terms ? c[2 * k] + step * c[2 * k + 1] : c[2 * k];
        terms = (terms + 1) / 2;
    }
    return c[0];
}

} // namespace sweepfilter::tuning
