#include "ModulationTable.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "PortableMath.h"

namespace sweepfilter
{
namespace
{

// Converts toward zero, saturating into 0..limit; NaN gives `nanResult`. Keeps every
// float-to-integer conversion defined whatever the rate or sample rate.
std::uint32_t truncateWithin(double value, std::uint32_t limit, std::uint32_t nanResult) noexcept
{
    if (std::isnan(value))
        return nanResult;
    if (value <= 0.0)
        return 0;
    if (value >= static_cast<double>(limit))
        return limit;
    return static_cast<std::uint32_t>(value);
}

} // namespace

ModulationTable::ModulationTable(std::uint32_t stepInterval, std::uint32_t maxPeriodSeconds,
                                 float sampleRate) noexcept
    : samplePeriod_(static_cast<float>(1.0 / sampleRate)),
      sampleRate_(sampleRate),
      stepInterval_(std::max<std::uint32_t>(stepInterval, 1)),
      // The product first: the number of steps in maxPeriodSeconds seconds. Limited so that
      // capacity + 1 entries stay addressable.
      capacity_(truncateWithin(
          (double{static_cast<float>(maxPeriodSeconds)} * sampleRate) /
              static_cast<float>(stepInterval_),
          0x3FFFFFFEu, 0))
{
    table_.reset(new (std::nothrow) float[std::size_t{capacity_} + 1]);
}

void ModulationTable::rebuild(float amplitude, float rate, float centre) noexcept
{
    // The 32-bit float nearest 1e-5 (0x3727C5AC) stands in for a zero or NaN rate.
    constexpr float slowestRate = 1.0e-5f;
    // Not the double nearest 2*pi (that is ...2D18): this constant is part of the entries' bits.
    constexpr double twoPi = 6.28318530717958;

    const float stepF = static_cast<float>(stepInterval_);
    const float stepSeconds = static_cast<float>(double{stepF} * samplePeriod_);
    if (rate == 0.0f || std::isnan(rate))
        rate = slowestRate;
    const float period = static_cast<float>(1.0 / rate);
    const std::uint32_t n =
        truncateWithin((double{period} * sampleRate_) / stepF, capacity_, capacity_);
    cycleSteps_ = n;
    position_ = 0;

    if (n == 0)
    {
        // The sine would have infinite frequency; hold the centre instead.
        table_[0] = centre;
        return;
    }

    const std::uint32_t stepsPerCycle = stepInterval_ * n; // modulo 2^32, as specified
    const float m = static_cast<float>(double{sampleRate_} / static_cast<float>(stepsPerCycle));
    for (std::uint32_t i = 0; i <= n / 2; ++i)
    {
        const double angle = ((double{m} * i) * stepSeconds) * twoPi;
        const float t = static_cast<float>(portable::sin(angle) * amplitude);
        table_[i] = static_cast<float>(double{t} + centre);
        table_[n - i] = static_cast<float>(double{centre} - t);
    }
}

} // namespace sweepfilter
