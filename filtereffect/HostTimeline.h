#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace sweepfilter
{

// What a host reports of its transport; a report may carry any of the three.
struct HostTime
{
    std::optional<double> beats;          // musical position, in beats from the timeline's start
    std::optional<double> beatsPerMinute; // the tempo
    std::optional<double> speed;          // 1 playing, 0 stopped (negative: backwards)
};

// The host's musical position as it last reported it, carried forward frame by frame: the
// beat at a frame is computed from the last report (never accumulated), so it does not
// drift and does not depend on how processing was split into blocks.
class HostTimeline
{
public:
    // Where a sweep of `cycleBeats` beats split into `steps` equal steps stands now; only
    // while rolling. Step w of the timeline (counted from its start; a cycle starts on every
    // multiple of `steps`) holds from the first frame its start reaches, rounded up, to the
    // next step's.
    struct Step
    {
        std::uint32_t index;        // 0 .. steps - 1
        std::uint64_t framesToNext; // frames until the index may change, at least 1
    };

    explicit HostTimeline(double sampleRate = 44100.0) noexcept : sampleRate_(sampleRate) {}

    // Takes a report that applies from the current frame on. Fields it lacks keep their last
    // value (the position carried forward; speed 1 until a host says otherwise). A report
    // whose tempo would not be a positive finite number, or whose position or speed would
    // not be finite, is ignored and false returned.
    bool report(const HostTime& time) noexcept;
    // True when a report would change nothing: the same tempo and speed, and a position (if
    // it has one) within a millionth of a beat of where the timeline stands. A host that
    // reports on every block then leaves the sweep, and any glide of it, undisturbed.
    bool agrees(const HostTime& time) const noexcept
    {
        return continues(time) &&
               time.beatsPerMinute.value_or(beatsPerMinute_) == beatsPerMinute_ &&
               time.speed.value_or(speed_) == speed_;
    }
    // True when the report's position (if it has one) lies where the timeline stands.
    bool continues(const HostTime& time) const noexcept
    {
        constexpr double toleranceBeats = 1.0e-6;
        return known_ && (!time.beats || std::fabs(*time.beats - beats()) <= toleranceBeats);
    }

    double sampleRate() const noexcept { return sampleRate_; }
    bool isKnown() const noexcept { return known_; }
    // Moving on: a speed so small that the beat does not move per frame counts as stopped.
    bool isRolling() const noexcept { return known_ && beatsPerFrame_ != 0.0; }
    double beatsPerMinute() const noexcept { return beatsPerMinute_; }
    double beats() const noexcept { return beatsAt(framesSinceReport_); }
    std::uint64_t framesSinceReport() const noexcept { return framesSinceReport_; }

    // Asked again on the frame its last answer named, rolling forward, it answers from what
    // it worked out then, so a step costs a few additions on the audio path.
    Step stepAt(double cycleBeats, std::uint32_t steps) noexcept
    {
        const double now = frameNow();
        // Steps shorter than a frame can start several to a frame; the look from scratch
        // finds the last of them.
        if (!scale_.ahead || now != scale_.nextStart || scale_.startAfterNext <= now ||
            scale_.cycleBeats != cycleBeats || scale_.steps != steps)
            return lookAt(cycleBeats, steps);
        // The next step has begun: its start and the one after it were worked out a step ago.
        scale_.index = scale_.index + 1 == steps ? 0 : scale_.index + 1;
        scale_.whole += 1.0;
        scale_.nextStart = scale_.startAfterNext;
        scale_.startAfterNext = startOf(scale_.whole + 2.0);
        return {scale_.index, waitOf(scale_.nextStart - now)};
    }

    void advance(std::uint64_t frames) noexcept { framesSinceReport_ += frames; }

private:
    double beatsAt(std::uint64_t frame) const noexcept
    {
        return reportedBeats_ + static_cast<double>(frame) * beatsPerFrame_;
    }

    // The frame, counted from the report, on which step w starts (rolling forward).
    double startOf(double w) const noexcept
    {
        return roundedUp((w - scale_.reportedSteps) * scale_.framesPerStep);
    }
    // std::ceil, inline: the baseline x86-64 build would call the C library for it on every
    // step. Magnitudes of 2^52 and more (and NaN) are whole already and pass unchanged.
    static double roundedUp(double x) noexcept
    {
        if (!(std::fabs(x) < 0x1p52))
            return x;
        const auto truncated = static_cast<double>(static_cast<std::int64_t>(x));
        return truncated < x ? truncated + 1.0 : truncated;
    }
    double frameNow() const noexcept
    {
        return static_cast<double>(static_cast<std::int64_t>(framesSinceReport_));
    }
    // At least one frame, also when a step lasts less than a frame or the tempo is next to
    // none; at most 2^30.
    static std::uint64_t waitOf(double frames) noexcept
    {
        constexpr double longestWait = 1 << 30;
        return frames >= 1.0 ? static_cast<std::uint64_t>(static_cast<std::int64_t>(
                                   frames < longestWait ? frames : longestWait))
                             : 1;
    }
    Step lookAt(double cycleBeats, std::uint32_t steps) noexcept;
    Step firstStep(std::uint32_t steps) noexcept;
    Step backwardStep(std::uint32_t steps) const noexcept;

    // The position counted in steps of the last cycle asked about, and the step last answered
    // with the starts of the two after it, so that the next answer is ready when asked for.
    struct StepScale
    {
        double cycleBeats = 0.0; // 0: nothing worked out yet
        std::uint32_t steps = 0;
        double reportedSteps = 0.0, stepsPerFrame = 0.0, framesPerStep = 0.0;
        bool ahead = false; // the fields below are worked out
        std::uint32_t index = 0;
        double whole = 0.0, nextStart = 0.0, startAfterNext = 0.0;
    };

    double sampleRate_;
    StepScale scale_;
    bool known_ = false;
    double reportedBeats_ = 0.0;
    double beatsPerMinute_ = 120.0;
    double speed_ = 1.0;
    double beatsPerFrame_ = 0.0;
    std::uint64_t framesSinceReport_ = 0;
};

} // namespace sweepfilter
