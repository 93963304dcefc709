#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "PortableMath.h"

namespace sweepfilter::test
{

// The sweep table written the plain way: storage for the longest period, every entry of the
// cycle computed on rebuild (the first half by sine, the second mirrored around the centre),
// reads indexing the stored entries. The effect's table computes each entry when it is read
// and must hand out the very same values.
class ReferenceModulationTable
{
public:
    ReferenceModulationTable(std::uint32_t stepInterval, std::uint32_t maxPeriodSeconds,
                             float sampleRate)
        : samplePeriod_(static_cast<float>(1.0 / sampleRate)), sampleRate_(sampleRate),
          stepInterval_(stepInterval),
          capacity_(truncate((double{static_cast<float>(maxPeriodSeconds)} * sampleRate) /
                                 static_cast<float>(stepInterval),
                             0x3FFFFFFEu, 0)),
          table_(std::size_t{capacity_} + 1)
    {
    }

    void rebuild(float amplitude, float rate, float centre)
    {
        const float stepF = static_cast<float>(stepInterval_);
        const float stepSeconds = static_cast<float>(double{stepF} * samplePeriod_);
        if (rate == 0.0f || std::isnan(rate))
            rate = 1.0e-5f;
        const float period = static_cast<float>(1.0 / rate);
        const std::uint32_t n =
            truncate((double{period} * sampleRate_) / stepF, capacity_, capacity_);
        cycleSteps_ = n;
        position_ = 0;
        if (n == 0)
        {
            table_[0] = centre;
            return;
        }
        const float m =
            static_cast<float>(double{sampleRate_} / static_cast<float>(stepInterval_ * n));
        for (std::uint32_t i = 0; i <= n / 2; ++i)
        {
            const double angle = ((double{m} * i) * stepSeconds) * 6.28318530717958;
            const float t = static_cast<float>(portable::sin(angle) * amplitude);
            table_[i] = static_cast<float>(double{t} + centre);
            table_[n - i] = static_cast<float>(double{centre} - t);
        }
    }

    float nextValue()
    {
        const float value = table_[position_];
        position_ = position_ < cycleSteps_ ? position_ + 1 : 0;
        return value;
    }

    bool isStepDue(std::uint32_t counter)
    {
        if (counter - lastStepCounter_ != stepInterval_)
            return false;
        lastStepCounter_ = counter;
        return true;
    }

    float entry(std::uint32_t index) const { return table_[index]; }
    std::uint32_t capacity() const { return capacity_; }
    std::uint32_t cycleSteps() const { return cycleSteps_; }
    std::uint32_t position() const { return position_; }
    std::uint32_t lastStepCounter() const { return lastStepCounter_; }
    void setLastStepCounter(std::uint32_t counter) { lastStepCounter_ = counter; }

private:
    // Toward zero, into 0..limit; NaN gives nanResult (negative rates give 0, rates too slow
    // for 32 bits the limit).
    static std::uint32_t truncate(double value, std::uint32_t limit, std::uint32_t nanResult)
    {
        if (std::isnan(value))
            return nanResult;
        if (value <= 0.0)
            return 0;
        if (value >= static_cast<double>(limit))
            return limit;
        return static_cast<std::uint32_t>(value);
    }

    float samplePeriod_;
    float sampleRate_;
    std::uint32_t stepInterval_;
    std::uint32_t capacity_;
    std::vector<float> table_;
    std::uint32_t position_ = 0;
    std::uint32_t lastStepCounter_ = 0;
    std::uint32_t cycleSteps_ = 0;
};

} // namespace sweepfilter::test
