#include "FlangerDelay.h"

#include <algorithm>
#include <new>

namespace sweepfilter
{

FlangerDelay::FlangerDelay(std::int32_t length) noexcept
    // A line needs at least one slot for its indices to stay inside it.
    : length_(std::max<std::int32_t>(length, 1))
{
    const auto count = static_cast<std::size_t>(length_);
    bufferLeft_.reset(new (std::nothrow) float[count]);
    if (bufferLeft_)
        bufferRight_.reset(new (std::nothrow) float[count]);
    if (length_ == 1)
        readIndex_ = 0;
    clear();
}

FlangerDelay::Run FlangerDelay::nextRun(std::int32_t frames) noexcept
{
    const std::int32_t length = std::min({frames, length_ - writeIndex_, length_ - readIndex_});
    return {bufferLeft_.get() + writeIndex_, bufferRight_.get() + writeIndex_,
            bufferLeft_.get() + readIndex_, bufferRight_.get() + readIndex_, length};
}

void FlangerDelay::finishRun(const Run& run) noexcept
{
    if (run.frames <= 0)
        return;
    delayedLeft_ = run.readLeft[run.frames - 1];
    delayedRight_ = run.readRight[run.frames - 1];
    writeIndex_ += run.frames;
    if (writeIndex_ == length_)
        writeIndex_ = 0;
    readIndex_ += run.frames;
    if (readIndex_ == length_)
        readIndex_ = 0;
}

void FlangerDelay::setDelay(std::int32_t samples) noexcept
{
    const std::int32_t d = std::clamp<std::int32_t>(samples, 0, length_ - 1);
    readIndex_ = writeIndex_ - d;
    if (readIndex_ < 0)
        readIndex_ += length_;
}

void FlangerDelay::clear() noexcept
{
    if (!hasStorage())
        return;
    std::fill_n(bufferLeft_.get(), length_, 0.0f);
    std::fill_n(bufferRight_.get(), length_, 0.0f);
}

std::int32_t FlangerDelay::delay() const noexcept
{
    const std::int32_t d = writeIndex_ - readIndex_;
    return d < 0 ? d + length_ : d;
}

} // namespace sweepfilter
