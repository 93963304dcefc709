#pragma once

#include <chrono>
#include <cstdint>

namespace sweepfilter::tool
{

// A one-line progress bar on stderr, shown only when stderr is a terminal and the work has
// taken more than a second; otherwise silent.
class Progress
{
public:
    Progress(std::int64_t totalFrames, double sampleRate, bool allowed);
    void update(std::int64_t framesDone);
    void finish();
    // Audio seconds rendered per second of work so far.
    double speed() const;

private:
    using Clock = std::chrono::steady_clock;
    std::int64_t totalFrames_;
    double sampleRate_;
    bool enabled_;
    bool shown_ = false;
    std::int64_t framesDone_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDrawn_ = start_;
};

} // namespace sweepfilter::tool
