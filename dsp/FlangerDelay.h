#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace sweepfilter
{

// A two-channel delay line of `length` samples per channel. writeAndRead stores a pair and
// fetches the pair written `delay` calls earlier (0 hands back the pair just written); the
// samples pass through bit for bit. Storage is allocated once, in the constructor.
//
// The samples lie in order in a buffer longer than the line: writing moves forward through
// it, and only when it reaches the end are the last length - 1 pairs (all a delay can reach)
// moved back to its start. So a run of frames reads and writes contiguous memory, and a run
// need not end where a ring would wrap.
class FlangerDelay
{
public:
    explicit FlangerDelay(std::int32_t length) noexcept;
    virtual ~FlangerDelay() = default;

    FlangerDelay(const FlangerDelay&) = delete;
    FlangerDelay& operator=(const FlangerDelay&) = delete;

    // False when the constructor could not obtain its buffers; such a line must not be used.
    bool hasStorage() const noexcept { return bufferLeft_ && bufferRight_; }

    void writeAndRead(float left, float right) noexcept
    {
        if (write_ == capacity_)
            moveHistoryToStart();
        const auto write = static_cast<std::size_t>(write_);
        bufferLeft_[write] = left;
        bufferRight_[write] = right;
        const auto read = write - static_cast<std::size_t>(delay_);
        delayedLeft_ = bufferLeft_[read];
        delayedRight_ = bufferRight_[read];
        ++write_;
    }

    // Direct access for block processing: a run of `frames` frames, or of a few hundred when
    // `frames` is more. Writing frame i's pair to write*[i] and then reading read*[i],
    // for each i in turn, is writeAndRead; finishRun then moves the line past the run.
    struct Run
    {
        float* writeLeft;
        float* writeRight;
        const float* readLeft;
        const float* readRight;
        std::int32_t frames;
    };
    Run nextRun(std::int32_t frames) noexcept;
    void finishRun(const Run& run) noexcept;

    // Delays of length or more give length - 1; negative requests give 0.
    void setDelay(std::int32_t samples) noexcept;

    // Silences the whole line; the delay stays.
    void clear() noexcept;

    float delayedLeft() const noexcept { return delayedLeft_; }
    float delayedRight() const noexcept { return delayedRight_; }
    std::int32_t length() const noexcept { return length_; }
    std::int32_t delay() const noexcept { return delay_; }

private:
    void moveHistoryToStart() noexcept;

    float delayedLeft_ = 0.0f;
    float delayedRight_ = 0.0f;
    std::unique_ptr<float[]> bufferLeft_;
    std::unique_ptr<float[]> bufferRight_;
    std::int32_t length_;
    std::int32_t history_;  // length - 1: the pairs before the write position a delay reaches
    std::int32_t capacity_; // the buffer's length
    std::int32_t write_;    // where the next pair goes: history_ <= write_ <= capacity_
    std::int32_t delay_;
};

} // namespace sweepfilter
