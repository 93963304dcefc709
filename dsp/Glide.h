#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace sweepfilter
{

// A few settings that reach a new target along a straight line of `length` frames instead of
// jumping to it. A new target mid-glide starts a new line from where the values stand, so
// they never jump. Frame i of a glide (0, 1, ...) holds start + (target - start) (i + 1) /
// length while i + 1 < length, then the target itself: the last frame and every later one
// hold exactly the target's bits. The values are computed from the frame's number, not
// accumulated, so they cannot drift.
template <std::size_t count>
class Glide
{
public:
    using Values = std::array<float, count>;

    // 0 or 1: targets apply at once. A glide in progress goes on from where it stands, with
    // the new length; the same length again changes nothing.
    void setLength(std::uint32_t frames) noexcept
    {
        if (std::max<std::uint32_t>(frames, 1) == length_)
            return;
        const Values now = current();
        length_ = std::max<std::uint32_t>(frames, 1);
        inverseLength_ = 1.0 / static_cast<double>(length_);
        startFrom(now);
    }

    // The values from now on, with no glide.
    void jumpTo(const Values& values) noexcept
    {
        target_ = values;
        startFrom(values);
    }

    void setTarget(const Values& values) noexcept
    {
        if (values == target_)
            return;
        const Values now = current();
        target_ = values;
        startFrom(now);
    }

    bool isGliding() const noexcept { return framesLeft_ > 0; }
    // The frames still between start and target; the target applies after them.
    std::uint32_t framesLeft() const noexcept { return framesLeft_; }
    std::uint32_t framesDone() const noexcept { return elapsed_; }
    const Values& target() const noexcept { return target_; }

    // Value k on frame i counted from the current one: i < framesLeft, or the target after;
    // i >= -framesDone, the glide's first frame.
    float valueAt(std::size_t k, std::int64_t i) const noexcept
    {
        const double progress = static_cast<double>(elapsed_ + 1 + i) * inverseLength_;
        return static_cast<float>(start_[k] + delta_[k] * progress);
    }

    // The values the last processed frame had.
    Values current() const noexcept
    {
        if (!isGliding())
            return target_;
        Values values{};
        const double progress = static_cast<double>(elapsed_) * inverseLength_;
        for (std::size_t k = 0; k < count; ++k)
            values[k] = static_cast<float>(start_[k] + delta_[k] * progress);
        return values;
    }

    void advance(std::uint32_t frames) noexcept
    {
        const std::uint32_t taken = std::min(frames, framesLeft_);
        elapsed_ += taken;
        framesLeft_ -= taken;
    }

private:
    void startFrom(const Values& values) noexcept
    {
        for (std::size_t k = 0; k < count; ++k)
        {
            start_[k] = values[k];
            delta_[k] = double{target_[k]} - double{values[k]};
        }
        elapsed_ = 0;
        framesLeft_ = values == target_ ? 0 : length_ - 1;
    }

    Values target_{};
    std::array<double, count> start_{};
    std::array<double, count> delta_{};
    std::uint32_t length_ = 1;
    double inverseLength_ = 1.0;
    std::uint32_t elapsed_ = 0;
    std::uint32_t framesLeft_ = 0;
};

} // namespace sweepfilter
