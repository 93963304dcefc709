#include "SweepStepTuning.h"

#include <cmath>

#include "ParameterMapping.h"

namespace sweepfilter
{
namespace
{

// Over two steps an entry moves by at most 2 A (2 pi / (n + 1)), A the sweep's amplitude and
// n + 1 the steps of its cycle; the line is taken where that stays below the lowest entry
// divided by this.
constexpr double largestMoveDivisor = 512.0;
constexpr double pi = 3.141592653589793;
constexpr float lowestInterpolatedRate = 45000.0f;
constexpr float lowestInterpolatedResonance = 0.1f;

// The setting at x on the line through a's and b's; false where the line does not fit: x
// outside a and b, or a and b too far apart.
bool interpolate(const SweepStepTuning::Step& a, const SweepStepTuning::Step& b, bool hard,
                 SweepStepTuning::Step& middle) noexcept
{
    const auto along = [hard](const SweepStepTuning::Step& step) {
        return double{hard ? step.normalisedCutoff : step.entryHz};
    };
    const double x = along(middle), xa = along(a), xb = along(b), span = xb - xa;
    if (!((xa <= x && x <= xb) || (xb <= x && x <= xa)) ||
        !(std::fabs(span) * largestMoveDivisor <= x))
        return false;
    const double w = span == 0.0 ? 0.0 : (x - xa) / span;
    const auto lerp = [w](float va, float vb) {
        return static_cast<float>(double{va} + w * (double{vb} - double{va}));
    };
    if (hard)
        middle.hard = {lerp(a.hard.stageCoefficient, b.hard.stageCoefficient),
                       lerp(a.hard.resonance, b.hard.resonance)};
    else
        middle.softCutoffHz = lerp(a.softCutoffHz, b.softCutoffHz);
    return true;
}

} // namespace

bool SweepStepTuning::interpolates(const Source& source) noexcept
{
    if (!(source.tuning.sampleRate() >= lowestInterpolatedRate) ||
        (source.hard && !(source.resonance >= lowestInterpolatedResonance)))
        return false;
    const ModulationTable& table = source.table;
    const double amplitude = std::fabs(double{table.amplitude()});
    const double lowest = double{table.centre()} - amplitude;
    return amplitude * (4.0 * pi * largestMoveDivisor) <=
           lowest * (static_cast<double>(table.cycleSteps()) + 1.0);
}

SweepStepTuning::Step SweepStepTuning::at(std::uint32_t position, const Source& source) noexcept
{
    if (const Step* found = find(position))
        return *found;
    const ModulationTable& table = source.table;
    const bool lines = interpolates(source);
    if (lines && (position & 1u))
    {
        const std::uint32_t before = position - 1, after = table.positionAfter(position);
        const Step *a = find(before), *b = find(after);
        if (!a || !b)
        {
            tunePair(before, after, source);
            a = find(before);
            b = find(after);
        }
        Step middle = untuned(position, source);
        if (interpolate(*a, *b, source.hard, middle))
            return middle;
        // A turning point of the sweep: this one alone, exactly.
        if (source.hard)
            middle.hard = source.tuning.hard(middle.normalisedCutoff, source.resonance);
        else
            middle.softCutoffHz = source.tuning.softCutoffHz(middle.entryHz);
        return middle;
    }
    tunePair(position, lines ? evenAfter(position, table) : table.positionAfter(position), source);
    return *find(position);
}

void SweepStepTuning::workAhead(std::uint32_t position, const Source& source) noexcept
{
    const ModulationTable& table = source.table;
    const std::uint32_t next = table.positionAfter(position);
    const std::uint32_t second = table.positionAfter(next), third = table.positionAfter(second);
    const std::uint32_t fifth = table.positionAfter(table.positionAfter(third));
    entries_[fifth & 7u] = {fifth, table.entry(fifth)};
    if (interpolates(source))
    {
        // The even positions that the odd ones up to six steps ahead lie between.
        const std::uint32_t even = (second & 1u) ? third : second;
        if (!find(even))
            tunePair(even, evenAfter(even, table), source);
    }
    else if (!find(next))
    {
        tunePair(next, second, source);
    }
}

void SweepStepTuning::forget(bool entries) noexcept
{
    for (Step& step : exact_)
        step.position = noStep;
    if (entries)
        for (Entry& staged : entries_)
            staged.position = noStep;
}

float SweepStepTuning::entry(std::uint32_t position, const Source& source) const noexcept
{
    const Entry& staged = entries_[position & 7u];
    return staged.position == position ? staged.hz : source.table.entry(position);
}

SweepStepTuning::Step SweepStepTuning::untuned(std::uint32_t position,
                                               const Source& source) const noexcept
{
    const float hz = entry(position, source);
    const float normalised = source.hard ? mapping::normalisedCutoff(hz) : 0.0f;
    return {position, hz, normalised, hz, {normalised, source.resonance}};
}

void SweepStepTuning::tunePair(std::uint32_t first, std::uint32_t second,
                               const Source& source) noexcept
{
    Step steps[2] = {untuned(first, source), untuned(second, source)};
    if (source.hard)
    {
        const std::array<RateTuning::HardSetting, 2> tuned = source.tuning.hard(
            {steps[0].normalisedCutoff, steps[1].normalisedCutoff}, source.resonance);
        steps[0].hard = tuned[0];
        steps[1].hard = tuned[1];
    }
    else
    {
        const std::array<float, 2> tuned =
            source.tuning.softCutoffHz({steps[0].entryHz, steps[1].entryHz});
        steps[0].softCutoffHz = tuned[0];
        steps[1].softCutoffHz = tuned[1];
    }
    for (const Step& step : steps)
    {
        exact_[nextSlot_] = step;
        nextSlot_ = (nextSlot_ + 1) & 3u;
    }
}

std::uint32_t SweepStepTuning::evenAfter(std::uint32_t position,
                                         const ModulationTable& table) noexcept
{
    const std::uint32_t next = table.positionAfter(position);
    return next == 0 ? 0 : table.positionAfter(next);
}

} // namespace sweepfilter
