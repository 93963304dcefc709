#pragma once

#include <algorithm>
#include <cstdint>

namespace sweepfilter
{

// When the free-running sweep steps at the host's rate: step k falls on frame round(k * L)
// of the frames counted since the grid started, L the step length in frames (100 at
// 44.1 kHz, 108.84... at 48 kHz). The steps keep their length in seconds without drifting,
// and with L = 100 they fall where the 2.0 plug-in's do: on frames 100, 200, ...
class StepGrid
{
public:
    explicit StepGrid(double stepFrames = 100.0) noexcept : stepFrames_(std::max(stepFrames, 1.0))
    {
        restart();
    }

    void restart() noexcept
    {
        frames_ = 0;
        step_ = 1;
        next_ = frameOf(step_);
    }

    // True when a step falls on the current frame; moves on to the next step.
    bool isStepDue() noexcept
    {
        if (frames_ != next_)
            return false;
        next_ = frameOf(++step_);
        return true;
    }

    // Frames from the current one to the next step: at least 1 after isStepDue.
    std::uint64_t framesUntilStep() const noexcept { return next_ - frames_; }

    void advance(std::uint64_t frames) noexcept { frames_ += frames; }

private:
    std::uint64_t frameOf(std::uint64_t step) const noexcept
    {
        return static_cast<std::uint64_t>(static_cast<double>(step) * stepFrames_ + 0.5);
    }

    double stepFrames_;
    std::uint64_t frames_ = 0; // counted since the grid started
    std::uint64_t step_ = 1;   // the next step's number
    std::uint64_t next_ = 0;   // the frame it falls on
};

} // namespace sweepfilter
