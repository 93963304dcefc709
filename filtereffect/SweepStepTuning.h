#pragma once

#include <array>
#include <cstdint>

#include "ModulationTable.h"
#include "RateTuning.h"

namespace sweepfilter
{

// The sweep's steps tuned to the host's rate: for a table position, the setting its step gives
// the active filter. The work is done ahead of the steps (an entry six steps ahead, exact
// tunings two at a time three to six steps ahead), so it runs beside the filter's runs instead
// of holding them up; what is missing when a step is asked for is worked out then, so the
// result for a position does not depend on the order of the work.
//
// Where the tuning is smooth and the sweep slow (a host rate of 45 kHz or more, the hard filter
// with some resonance, entries that move by less than 1/512 of themselves over two steps),
// each odd position lies on the straight line through its two neighbours' exact tunings, taken
// over the entry: its own exact tuning or the float next to it, for half the work. Elsewhere, and
// where the line does not fit (the sweep's turning points), every position is tuned exactly.
class SweepStepTuning
{
public:
    static constexpr std::uint32_t noStep = 0xFFFFFFFFu;

    struct Step
    {
        std::uint32_t position = noStep; // the table entry it is for
        float entryHz = 0.0f;
        float normalisedCutoff = 0.0f; // hard
        float softCutoffHz = 0.0f;     // soft, tuned
        RateTuning::HardSetting hard{0.0f, 0.0f};
    };

    // What the steps come from, as the effect has it now.
    struct Source
    {
        const ModulationTable& table;
        const RateTuning& tuning;
        bool hard;
        float resonance;
    };

    Step at(std::uint32_t position, const Source& source) noexcept;
    // Work for the steps after `position`, the step just prepared.
    void workAhead(std::uint32_t position, const Source& source) noexcept;
    // What the steps depend on changed: the resonance, the algorithm or the tuning, and with
    // `entries` the table's entries too.
    void forget(bool entries) noexcept;

    // Whether odd positions may take the line through their neighbours.
    static bool interpolates(const Source& source) noexcept;

private:
    const Step* find(std::uint32_t position) const noexcept
    {
        for (const Step& step : exact_)
            if (step.position == position)
                return &step;
        return nullptr;
    }
    float entry(std::uint32_t position, const Source& source) const noexcept;
    Step untuned(std::uint32_t position, const Source& source) const noexcept;
    // Tunes both exactly, at once, and keeps them.
    void tunePair(std::uint32_t first, std::uint32_t second, const Source& source) noexcept;
    // The next position tuned exactly after `position` when the odd ones are interpolated.
    static std::uint32_t evenAfter(std::uint32_t position, const ModulationTable& table) noexcept;

    std::array<Step, 4> exact_{}; // the two pairs tuned last
    std::uint32_t nextSlot_ = 0;
    struct Entry
    {
        std::uint32_t position = noStep;
        float hz = 0.0f;
    };
    std::array<Entry, 8> entries_{}; // by the position's lowest three bits
};

} // namespace sweepfilter
