#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace sweepfilter
{

// A two-channel delay line of `length` samples per channel. writeAndRead stores a pair and
// fetches the pair written `delay` calls earlier (0 hands back the pair just written); the
// samples pass through bit for bit. Storage is allocated once, in the constructor.
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
        const auto write = static_cast<std::size_t>(writeIndex_);
        bufferLeft_[write] = left;
        bufferRight_[write] = right;
        if (++writeIndex_ == length_)
            writeIndex_ = 0;
        const auto read = static_cast<std::size_t>(readIndex_);
        delayedLeft_ = bufferLeft_[read];
        delayedRight_ = bufferRight_[read];
        if (++readIndex_ == length_)
            readIndex_ = 0;
    }

    // Direct access for block processing: a run of at most `frames` frames in which neither
    // index wraps. Writing frame i's pair to write*[i] and then reading read*[i], for each i in
    // turn, is writeAndRead; finishRun then moves the line past the run.
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

    // Silences the whole line; the positions (and so the delay) stay.
    void clear() noexcept;

    float delayedLeft() const noexcept { return delayedLeft_; }
    float delayedRight() const noexcept { return delayedRight_; }
    std::int32_t length() const noexcept { return length_; }
    std::int32_t delay() const noexcept;

private:
    float delayedLeft_ = 0.0f;
    float delayedRight_ = 0.0f;
    std::unique_ptr<float[]> bufferLeft_;
    std::unique_ptr<float[]> bufferRight_;
    std::int32_t writeIndex_ = 0;
    std::int32_t readIndex_ = 1;
    std::int32_t length_;
};

} // namespace sweepfilter
