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

void FlangerDelay::writeAndReadBlock(const float* left, const float* right, float* delayedLeft,
                                     float* delayedRight, std::int32_t frames) noexcept
{
    for (std::int32_t done = 0; done < frames;)
    {
        // A run in which neither index wraps.
        const std::int32_t run =
            std::min({frames - done, length_ - writeIndex_, length_ - readIndex_});
        float* writeLeft = bufferLeft_.get() + writeIndex_;
        float* writeRight = bufferRight_.get() + writeIndex_;
        const float* readLeft = bufferLeft_.get() + readIndex_;
        const float* readRight = bufferRight_.get() + readIndex_;
        for (std::int32_t i = 0; i < run; ++i)
        {
            writeLeft[i] = left[done + i];
            writeRight[i] = right[done + i];
            delayedLeft[done + i] = readLeft[i];
            delayedRight[done + i] = readRight[i];
        }
        done += run;
        writeIndex_ = writeIndex_ + run == length_ ? 0 : writeIndex_ + run;
        readIndex_ = readIndex_ + run == length_ ? 0 : readIndex_ + run;
    }
    if (frames > 0)
    {
        delayedLeft_ = delayedLeft[frames - 1];
        delayedRight_ = delayedRight[frames - 1];
    }
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
