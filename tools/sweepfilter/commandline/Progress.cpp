#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace sweepfilter::tool
{

Progress::Progress(std::int64_t totalFrames, double sampleRate, bool allowed)
    : totalFrames_(totalFrames), sampleRate_(sampleRate), enabled_(allowed && isatty(2))
{
}

double Progress::speed() const
{
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    return seconds > 0.0 ? static_cast<double>(framesDone_) / sampleRate_ / seconds : 0.0;
}

void Progress::update(std::int64_t framesDone)
{
    framesDone_ = framesDone;
    if (!enabled_)
        return;
    const auto now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - lastDrawn_ < std::chrono::milliseconds(100))
        return;
    lastDrawn_ = now;
    shown_ = true;
    constexpr int width = 30;
    const double fraction =
        totalFrames_ > 0 ? static_cast<double>(framesDone) / static_cast<double>(totalFrames_)
                         : 1.0;
    const int filled = static_cast<int>(fraction * width);
    char bar[width + 1];
    for (int i = 0; i < width; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[width] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%  %.1fx real time", bar, static_cast<int>(fraction * 100.0),
                 speed());
    std::fflush(stderr);
}

void Progress::finish()
{
    if (!shown_)
        return;
    lastDrawn_ = Clock::time_point{}; // draw the full bar whatever the time since the last
    update(totalFrames_);
    std::fprintf(stderr, "\n");
}

} // namespace sweepfilter::tool
