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

namespace
{

// Step w's place in its cycle: w modulo `steps`, exactly. A position too far out to count
// steps in (infinite, so NaN here) stands at the cycle's start.
std::uint32_t indexOf(double w, std::uint32_t steps) noexcept
{
    double r = std::fmod(w, static_cast<double>(steps));
    if (r < 0.0)
        r += steps;
    if (!(r >= 0.0))
        return 0;
    return static_cast<std::uint32_t>(std::min(r, static_cast<double>(steps - 1)));
}

} // namespace

HostTimeline::Step HostTimeline::lookAt(double cycleBeats, std::uint32_t steps) noexcept
{
    if (scale_.cycleBeats != cycleBeats || scale_.steps != steps)
    {
        const double stepsPerBeat = steps / cycleBeats;
        // The frames a step lasts in one division of exact products (not as the reciprocal
        // of a rounded rate), so a step of a whole number of frames starts on whole frames.
        const double framesPerStep =
            (60.0 * sampleRate_ * cycleBeats) / (speed_ * beatsPerMinute_ * steps);
        scale_ = {cycleBeats, steps, reportedBeats_ * stepsPerBeat, beatsPerFrame_ * stepsPerBeat,
                  framesPerStep};
    }
    if (scale_.stepsPerFrame < 0.0)
        return backwardStep(steps);
    return firstStep(steps);
}

// The step whose start the current frame has reached and the next one's has not.
HostTimeline::Step HostTimeline::firstStep(std::uint32_t steps) noexcept
{
    const double now = frameNow();
    double whole = std::floor(scale_.reportedSteps + now * scale_.stepsPerFrame);
    if (startOf(whole + 1.0) <= now)
        whole += 1.0;
    else if (startOf(whole) > now)
        whole -= 1.0;
    scale_.ahead = true;
    scale_.whole = whole;
    scale_.index = indexOf(whole, steps);
    scale_.nextStart = startOf(whole + 1.0);
    scale_.startAfterNext = startOf(whole + 2.0);
    return {scale_.index, waitOf(scale_.nextStart - now)};
}

// Rolling backwards, a step holds until the frame on which the position falls below its
// start.
HostTimeline::Step HostTimeline::backwardStep(std::uint32_t steps) const noexcept
{
    const double now = frameNow();
    const double whole = std::floor(scale_.reportedSteps + now * scale_.stepsPerFrame);
    const double leaveFrame =
        std::floor((whole - scale_.reportedSteps) * scale_.framesPerStep) + 1.0;
    return {indexOf(whole, steps), waitOf(leaveFrame - now)};
}

} // namespace sweepfilter
