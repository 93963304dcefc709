#pragma once

#include <array>
#include <cstdint>

#include "FloatBits.h"

namespace sweepfilter
{

// The "soft" filter: a stereo second-order low-pass in direct form I. Coefficients come from
// the bilinear transform of an analogue low-pass without pre-warping, so the analogue corner
// fc lands at (fs/pi)*atan(pi*fc/fs) and cutoffs above Nyquist stay stable. Arguments are in
// Hz; resonance runs 0..1 (damping 2*(1 - resonance)). One set of coefficients serves both
// channels, each keeps its own history. reset() clears the history and keeps the coefficients.
//
// Every step is evaluated in double from float operands and rounded to float once, in the
// order written: the rounding points and the order of terms are part of the behaviour.
class LowpassBiquad
{
public:
    struct Coefficients
    {
        float a1 = 0.0f; // previous output (subtracted)
        float a2 = 0.0f; // output two samples back (subtracted)
        float b0 = 0.0f; // current input
        float b1 = 0.0f; // previous input
        float b2 = 0.0f; // input two samples back
    };

    // Element 0 is one sample back, element 1 two samples back.
    using History = std::array<float, 2>;

    LowpassBiquad() = default;
    virtual ~LowpassBiquad() = default;

    void computeCoefficients(float cutoffHz, float resonance, float sampleRate) noexcept;

    float processLeft(float sample) noexcept
    {
        const float y = filter(sample, inputHistoryLeft_, outputHistoryLeft_);
        pushHistoryLeft(sample, y);
        return y;
    }

    float processRight(float sample) noexcept
    {
        const float y = filter(sample, inputHistoryRight_, outputHistoryRight_);
        pushHistoryRight(sample, y);
        return y;
    }

    void pushHistoryLeft(float input, float output) noexcept
    {
        push(inputHistoryLeft_, outputHistoryLeft_, input, output);
    }

    void pushHistoryRight(float input, float output) noexcept
    {
        push(inputHistoryRight_, outputHistoryRight_, input, output);
    }

    // The same as calling processLeft and processRight for each frame in turn, with the state
    // held in registers for the whole block. Outputs may alias inputs.
    void processBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      std::int32_t frames) noexcept;

    void reset() noexcept
    {
        inputHistoryLeft_ = {};
        inputHistoryRight_ = {};
        outputHistoryLeft_ = {};
        outputHistoryRight_ = {};
    }

    const Coefficients& coefficients() const noexcept { return coefficients_; }
    const History& inputHistoryLeft() const noexcept { return inputHistoryLeft_; }
    const History& inputHistoryRight() const noexcept { return inputHistoryRight_; }
    const History& outputHistoryLeft() const noexcept { return outputHistoryLeft_; }
    const History& outputHistoryRight() const noexcept { return outputHistoryRight_; }

private:
    float filter(float x, const History& in, const History& out) const noexcept
    {
        const Coefficients& c = coefficients_;
        const double x1 = in[0], x2 = in[1], y1 = out[0], y2 = out[1];
        float y = static_cast<float>(
            (((x2 * c.b2 + double{x} * c.b0) + c.b1 * x1) - c.a1 * y1) - y2 * c.a2);
        // Zeros and subnormals leave as +0.0 so silence decays to true zeros (no denormal
        // stalls, no -0.0); infinities and NaNs pass unchanged.
        if (hasZeroExponent(y))
            y = 0.0f;
        return y;
    }

    static void push(History& in, History& out, float input, float output) noexcept
    {
        in[1] = in[0];
        in[0] = input;
        out[1] = out[0];
        out[0] = output;
    }

    Coefficients coefficients_;
    History inputHistoryLeft_{};
    History inputHistoryRight_{};
    History outputHistoryLeft_{};
    History outputHistoryRight_{};
};

} // namespace sweepfilter
