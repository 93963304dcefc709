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
    return true;
}

HostTimeline::Step HostTimeline::stepAt(double cycleBeats, std::uint32_t steps) const noexcept
{
    constexpr double longestWait = 1 << 30;
    const double beats = this->beats();
    const double cycles = std::floor(beats / cycleBeats);
    const double phase = beats / cycleBeats - cycles;
    const auto index = static_cast<std::uint32_t>(
        std::clamp(std::floor(phase * steps), 0.0, static_cast<double>(steps - 1)));
    if (beatsPerFrame_ == 0.0)
        return {index, static_cast<std::uint64_t>(longestWait)};
    // The frame, counted from the report, on which the position passes the step's edge
    // ahead (or behind, when going backwards).
    const double edge = beatsPerFrame_ > 0.0 ? index + 1.0 : index;
    const double edgeBeats = cycleBeats * (cycles + edge / steps);
    const double edgeFrame = (edgeBeats - reportedBeats_) / beatsPerFrame_;
    const double frameOfEdge =
        beatsPerFrame_ > 0.0 ? std::ceil(edgeFrame) : std::floor(edgeFrame) + 1.0;
    const double wait = frameOfEdge - static_cast<double>(framesSinceReport_);
    return {index, static_cast<std::uint64_t>(std::clamp(wait, 1.0, longestWait))};
}

} // namespace sweepfilter
