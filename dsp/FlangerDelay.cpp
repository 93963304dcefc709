#include "FlangerDelay.h"

#include <algorithm>
#include <new>

namespace sweepfilter
{
namespace
{

// How many pairs a line takes between two moves of its history. A run that does not fit in
// what is left moves the history first, so only runs longer than this are cut short.
constexpr std::int32_t framesBetweenMoves = 512;

} // namespace

FlangerDelay::FlangerDelay(std::int32_t length) noexcept
    // A line needs at least one slot for its delay to stay inside it.
    : length_(std::max<std::int32_t>(length, 1)), history_(length_ - 1),
      capacity_(history_ + framesBetweenMoves), write_(history_), delay_(history_)
{
    const auto count = static_cast<std::size_t>(capacity_);
    bufferLeft_.reset(new (std::nothrow) float[count]);
    if (bufferLeft_)
        bufferRight_.reset(new (std::nothrow) float[count]);
    clear();
}

FlangerDelay::Run FlangerDelay::nextRun(std::int32_t frames) noexcept
{
    if (frames > capacity_ - write_)
        moveHistoryToStart();
    const std::int32_t length = std::min(frames, capacity_ - write_);
    const std::int32_t read = write_ - delay_;
    return {bufferLeft_.get() + write_, bufferRight_.get() + write_, bufferLeft_.get() + read,
            bufferRight_.get() + read, length};
}

void FlangerDelay::finishRun(const Run& run) noexcept
{
    if (run.frames <= 0)
        return;
    delayedLeft_ = run.readLeft[run.frames - 1];
    delayedRight_ = run.readRight[run.frames - 1];
    write_ += run.frames;
}

void FlangerDelay::moveHistoryToStart() noexcept
{
    if (write_ == history_)
        return;
    const std::int32_t from = write_ - history_;
    std::copy(bufferLeft_.get() + from, bufferLeft_.get() + write_, bufferLeft_.get());
    std::copy(bufferRight_.get() + from, bufferRight_.get() + write_, bufferRight_.get());
    write_ = history_;
}

void FlangerDelay::setDelay(std::int32_t samples) noexcept
{
    delay_ = std::clamp<std::int32_t>(samples, 0, history_);
}

void FlangerDelay::clear() noexcept
{
    if (!hasStorage())
        return;
    std::fill_n(bufferLeft_.get(), capacity_, 0.0f);
    std::fill_n(bufferRight_.get(), capacity_, 0.0f);
}

} // namespace sweepfilter
