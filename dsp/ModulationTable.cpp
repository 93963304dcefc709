#include "ModulationTable.h"

#include <algorithm>
#include <cmath>

#include "PortableMath.h"
#include "SaturatingTruncation.h"

namespace sweepfilter
{
ModulationTable::ModulationTable(std::uint32_t stepInterval, std::uint32_t maxPeriodSeconds,
                                 float sampleRate) noexcept
    : samplePeriod_(static_cast<float>(1.0 / sampleRate)), sampleRate_(sampleRate),
      stepInterval_(std::max<std::uint32_t>(stepInterval, 1)),
      // The product first: the number of steps in maxPeriodSeconds seconds. Limited so that
      // positions 0..capacity stay far from the 32-bit wrap.
      capacity_(truncateSaturating<std::uint32_t>(
          (double{static_cast<float>(maxPeriodSeconds)} * sampleRate) /
              static_cast<float>(stepInterval_),
          0, 0x3FFFFFFEu, 0))
{
    const float stepF = static_cast<float>(stepInterval_);
    stepSeconds_ = static_cast<float>(double{stepF} * samplePeriod_);
}

void ModulationTable::rebuild(float amplitude, float rate, float centre) noexcept
{
    setCycle(amplitude, rate, centre);
    position_ = 0;
}

void ModulationTable::retune(float amplitude, float rate, float centre) noexcept
{
    const std::uint64_t oldLength = std::uint64_t{cycleSteps_} + 1, oldPosition = position_;
    setCycle(amplitude, rate, centre);
    const std::uint64_t newLength = std::uint64_t{cycleSteps_} + 1;
    position_ = static_cast<std::uint32_t>(
        std::min(oldPosition * newLength / oldLength, std::uint64_t{cycleSteps_}));
}

void ModulationTable::setCycle(float amplitude, float rate, float centre) noexcept
{
    // The 32-bit float nearest 1e-5 (0x3727C5AC) stands in for a zero or NaN rate.
    constexpr float slowestRate = 1.0e-5f;

    const float stepF = static_cast<float>(stepInterval_);
    if (rate == 0.0f || std::isnan(rate))
        rate = slowestRate;
    const float period = static_cast<float>(1.0 / rate);
    const std::uint32_t n = truncateSaturating<std::uint32_t>(
        (double{period} * sampleRate_) / stepF, 0, capacity_, capacity_);
    cycleSteps_ = n;
    amplitude_ = amplitude;
    centre_ = centre;
    // With n = 0 the sine would have infinite frequency; entry() then holds the centre.
    if (n != 0)
    {
        // An unsigned 32-bit product, wrapping like one: m is the frequency the entries use.
        const std::uint32_t stepsPerCycle = stepInterval_ * n;
        m_ = static_cast<float>(double{sampleRate_} / static_cast<float>(stepsPerCycle));
    }
}

float ModulationTable::swing(std::uint32_t i) const noexcept
{
    // Not the double nearest 2*pi (that is ...2D18): this constant is part of the entries' bits.
    constexpr double twoPi = 6.28318530717958;
    const double angle = ((double{m_} * i) * stepSeconds_) * twoPi;
    return static_cast<float>(portable::sin(angle) * amplitude_);
}

float ModulationTable::entry(std::uint32_t index) const noexcept
{
    const std::uint32_t n = cycleSteps_;
    if (n == 0)
        return centre_;
    // The first half rises from the centre, the second mirrors it below; for an even n the
    // middle entry is the mirrored one.
    if (index < n - index)
        return static_cast<float>(double{swing(index)} + centre_);
    return static_cast<float>(double{centre_} - swing(n - index));
}

} // namespace sweepfilter
