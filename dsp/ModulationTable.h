#pragma once

#include <cstdint>

namespace sweepfilter
{

// One cycle of a sine sweep (centre + amplitude * sin), handed out one entry per step of
// `stepInterval` samples. Reading runs through entries 0..n and wraps to 0, so a cycle lasts
// n + 1 steps. A rebuild only records what the entries depend on and restarts reading; each
// entry is computed when it is read. That keeps every parameter change and program change
// constant-time and the object a few dozen bytes, at the price of one sine per step on the
// audio path (every 100 samples in the effect). The values are exactly those of a table
// filled at rebuild time: entries i <= n/2 are float(t_i + centre), the others
// float(centre - t_(n-i)), with entry n/2 of an even n taking the mirrored form.
class ModulationTable
{
public:
    ModulationTable(std::uint32_t stepInterval, std::uint32_t maxPeriodSeconds,
                    float sampleRate) noexcept;
    virtual ~ModulationTable() = default;

    ModulationTable(const ModulationTable&) = delete;
    ModulationTable& operator=(const ModulationTable&) = delete;

    // amplitude and centre in Hz, rate in cycles per second. Restarts reading at entry 0
    // without moving the step timing.
    void rebuild(float amplitude, float rate, float centre) noexcept;

    // The same cycle as rebuild, but reading goes on at the same phase of the cycle: the
    // entry the next read returns keeps its place in the cycle (its index scaled to the new
    // length).
    void retune(float amplitude, float rate, float centre) noexcept;

    // The next read returns entry `index` (limited to the cycle).
    void seek(std::uint32_t index) noexcept
    {
        position_ = index < cycleSteps_ ? index : cycleSteps_;
    }

    // Reading back at entry 0 and the step timing as new.
    void restart() noexcept
    {
        position_ = 0;
        lastStepCounter_ = 0;
    }

    float nextValue() noexcept
    {
        const float value = entry(position_);
        skip();
        return value;
    }

    // Moves on as nextValue does, for a caller that has the entry already.
    void skip() noexcept { position_ = positionAfter(position_); }

    // The entry read after entry `position`: the next one, or 0 after the last.
    std::uint32_t positionAfter(std::uint32_t position) const noexcept
    {
        return position < cycleSteps_ ? position + 1 : 0;
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

    // Entry `index` of the current cycle, 0..cycleSteps(); before the first rebuild, 0.
    float entry(std::uint32_t index) const noexcept;

    float samplePeriod() const noexcept { return samplePeriod_; }
    std::uint32_t capacity() const noexcept { return capacity_; }
    std::uint32_t cycleSteps() const noexcept { return cycleSteps_; }
    float amplitude() const noexcept { return amplitude_; }
    float centre() const noexcept { return centre_; }
    std::uint32_t position() const noexcept { return position_; }
    std::uint32_t lastStepCounter() const noexcept { return lastStepCounter_; }
    void setLastStepCounter(std::uint32_t counter) noexcept { lastStepCounter_ = counter; }

private:
    void setCycle(float amplitude, float rate, float centre) noexcept;

    // float(sin(angle of step i) * amplitude): the swing of entry i above the centre.
    float swing(std::uint32_t i) const noexcept;

    float samplePeriod_;
    float sampleRate_;
    float stepSeconds_;
    std::uint32_t stepInterval_;
    std::uint32_t capacity_;
    std::uint32_t position_ = 0;
    std::uint32_t lastStepCounter_ = 0;
    std::uint32_t cycleSteps_ = 0;
    // What the entries of the current cycle depend on; m is the sine's frequency as built.
    float amplitude_ = 0.0f;
    float centre_ = 0.0f;
    float m_ = 0.0f;
};

} // namespace sweepfilter
