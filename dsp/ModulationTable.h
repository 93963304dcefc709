#pragma once

#include <cstdint>
#include <memory>

namespace sweepfilter
{

// One precomputed cycle of a sine sweep (centre + amplitude * sin), handed out one entry per
// step of `stepInterval` samples. All sines are evaluated in rebuild(); the audio path only
// compares counters (isStepDue) and reads entries (nextValue). Reading runs through entries
// 0..n and wraps to 0, so a cycle lasts n + 1 steps. Storage for the longest period is
// allocated once, in the constructor; rebuilds never allocate.
class ModulationTable
{
public:
    ModulationTable(std::uint32_t stepInterval, std::uint32_t maxPeriodSeconds,
                    float sampleRate) noexcept;
    virtual ~ModulationTable() = default;

    ModulationTable(const ModulationTable&) = delete;
    ModulationTable& operator=(const ModulationTable&) = delete;

    // False when the constructor could not obtain the table; such a table must not be used.
    bool hasStorage() const noexcept { return table_ != nullptr; }

    // amplitude and centre in Hz, rate in cycles per second. Restarts reading at entry 0
    // without moving the step timing.
    void rebuild(float amplitude, float rate, float centre) noexcept;

    float nextValue() noexcept
    {
        const float value = table_[position_];
        position_ = position_ < cycleSteps_ ? position_ + 1 : 0;
        return value;
    }

    // Due when the counter is exactly stepInterval past the last due counter (modulo 2^32),
    // so a counter advancing by one is due every stepInterval samples, across its wrap too.
    bool isStepDue(std::uint32_t counter) noexcept
    {
        if (counter - lastStepCounter_ != stepInterval_)
            return false;
        lastStepCounter_ = counter;
        return true;
    }

    // How many more counter values until isStepDue answers true: 0 when it would now. For a
    // counter that advances by one and is asked every value, isStepDue is true exactly then.
    std::uint32_t samplesUntilStep(std::uint32_t counter) const noexcept
    {
        return stepInterval_ - (counter - lastStepCounter_);
    }

    float entry(std::uint32_t index) const noexcept { return table_[index]; }
    float samplePeriod() const noexcept { return samplePeriod_; }
    std::uint32_t capacity() const noexcept { return capacity_; }
    std::uint32_t cycleSteps() const noexcept { return cycleSteps_; }
    std::uint32_t position() const noexcept { return position_; }
    std::uint32_t lastStepCounter() const noexcept { return lastStepCounter_; }
    void setLastStepCounter(std::uint32_t counter) noexcept { lastStepCounter_ = counter; }

private:
    std::unique_ptr<float[]> table_;
    float samplePeriod_;
    float sampleRate_;
    std::uint32_t stepInterval_;
    std::uint32_t capacity_;
    std::uint32_t position_ = 0;
    std::uint32_t lastStepCounter_ = 0;
    std::uint32_t cycleSteps_ = 0;
};

} // namespace sweepfilter
