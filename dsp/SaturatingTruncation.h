#pragma once

namespace sweepfilter
{

// A double converted toward zero to an integer, limited to low..high, with NaN giving
// `nanResult`. The plain conversion is undefined for values outside the integer's range; this
// one is defined for every input.
template <typename Integer>
constexpr Integer truncateSaturating(double value, Integer low, Integer high,
                                     Integer nanResult) noexcept
{
    if (value != value)
        return nanResult;
    if (value <= static_cast<double>(low))
        return low;
    if (value >= static_cast<double>(high))
        return high;
    return static_cast<Integer>(value);
}

} // namespace sweepfilter
