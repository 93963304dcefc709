#include "HostTimeline.h"

#include <algorithm>
#include <cmath>

namespace sweepfilter
{

bool HostTimeline::report(const HostTime& time) noexcept
{
    if (!known_ && !time.beatsPerMinute)
        return false; // no tempo to carry a position forward with
    const double bpm = time.beatsPerMinute.value_or(beatsPerMinute_);
    const double speed = time.speed.value_or(speed_);
    const bool hasPosition = time.beats.has_value() || known_;
    const double beats = time.beats ? *time.beats : this->beats();
    if (!(bpm > 0.0) || !std::isfinite(bpm) || !std::isfinite(speed) || !std::isfinite(beats) ||
        !hasPosition)
        return false;
    const double beatsPerFrame = speed * bpm / (60.0 * sampleRate_);
    if (!std::isfinite(beatsPerFrame))
        return false;
    known_ = true;
    beatsPerMinute_ = bpm;
    speed_ = speed;
    reportedBeats_ = beats;
    beatsPerFrame_ = beatsPerFrame;
    framesSinceReport_ = 0;
    scale_ = {};
    return true;
}

HostTimeline::Step HostTimeline::stepAt(double cycleBeats, std::uint32_t steps) const noexcept
{
    constexpr double longestWait = 1 << 30;
    if (scale_.cycleBeats != cycleBeats || scale_.steps != steps)
    {
        const double stepsPerBeat = steps / cycleBeats;
        const double stepsPerFrame = beatsPerFrame_ * stepsPerBeat;
        scale_ = {cycleBeats,          steps,      reportedBeats_ * stepsPerBeat, stepsPerFrame,
                  1.0 / stepsPerFrame, 1.0 / steps};
    }
    // The position in steps from the timeline's start; a cycle starts on every multiple of
    // `steps`.
    const double position =
        scale_.reportedSteps + static_cast<double>(framesSinceReport_) * scale_.stepsPerFrame;
    const double whole = std::floor(position);
    const double cycles = std::floor(whole * scale_.perCycle);
    const auto index = static_cast<std::uint32_t>(
        std::clamp(whole - cycles * steps, 0.0, static_cast<double>(steps - 1)));
    // The frame, counted from the report, on which the position passes the step's edge
    // ahead (or behind, when going backwards).
    const bool forward = scale_.stepsPerFrame > 0.0;
    const double edgeFrame =
        ((forward ? whole + 1.0 : whole) - scale_.reportedSteps) * scale_.framesPerStep;
    const double frameOfEdge = forward ? std::ceil(edgeFrame) : std::floor(edgeFrame) + 1.0;
    const double wait = frameOfEdge - static_cast<double>(framesSinceReport_);
    return {index, static_cast<std::uint64_t>(std::clamp(wait, 1.0, longestWait))};
}

} // namespace sweepfilter
