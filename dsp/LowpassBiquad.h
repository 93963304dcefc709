#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "Lanes.h"

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

    void computeCoefficients(float cutoffHz, float resonance, float sampleRate) noexcept
    {
        coefficients_ = coefficientsFor(cutoffHz, resonance, sampleRate);
    }
    void setCoefficients(const Coefficients& coefficients) noexcept
    {
        coefficients_ = coefficients;
    }
    static Coefficients coefficientsFor(float cutoffHz, float resonance, float sampleRate) noexcept;

    float processLeft(float sample) noexcept
    {
        return processOne(inputHistoryLeft_, outputHistoryLeft_, sample);
    }

    float processRight(float sample) noexcept
    {
        return processOne(inputHistoryRight_, outputHistoryRight_, sample);
    }

    // The same as calling processLeft and processRight for each frame in turn and handing
    // each output pair to `output` (see StereoOutput.h), with both channels in one register
    // and the state held there for the whole block. The output may write where the inputs
    // are read.
    template <typename Output>
    void processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                      const Output& output) noexcept;

    // The same with coefficients that glide: frame i runs with coefficientsOf(j), j the
    // latest frame at or before i with (j + phase) a multiple of glideHoldFrames (so the grid
    // does not move with the block size); they depend on nothing the filter holds, so they
    // are worked out beside the filter's own chain. The last coefficients used stay.
    static constexpr std::int32_t glideHoldFrames = 4;
    template <typename CoefficientsOf, typename Output>
    void processGliding(const float* inLeft, const float* inRight, std::int32_t frames,
                        std::int32_t phase, const CoefficientsOf& coefficientsOf,
                        const Output& output) noexcept;

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
    // The history and coefficients widened, for one channel (double) or both (DoublePair).
    template <typename Wide>
    struct State
    {
        Wide x1, x2, y1, y2; // inputs and outputs one and two samples back
    };
    template <typename Wide>
    struct WideCoefficients
    {
        Wide a1, a2, b0, b1, b2;
    };

    template <typename Wide>
    static WideCoefficients<Wide> widened(const Coefficients& c) noexcept
    {
        return {lanes::broadcast<Wide>(c.a1), lanes::broadcast<Wide>(c.a2),
                lanes::broadcast<Wide>(c.b0), lanes::broadcast<Wide>(c.b1),
                lanes::broadcast<Wide>(c.b2)};
    }

    // Both channels from the history through the block and back; frame i runs with
    // coefficientsAt(i), widened.
    template <typename CoefficientsAt, typename Output>
    void run(const float* inLeft, const float* inRight, std::int32_t frames,
             const CoefficientsAt& coefficientsAt, const Output& output) noexcept;

    // One sample of the difference equation. Zeros and subnormals leave as +0.0 so silence
    // decays to true zeros (no denormal stalls, no -0.0); infinities and NaNs pass unchanged.
    template <typename Wide>
    static auto step(State<Wide>& s, Wide x, const WideCoefficients<Wide>& c) noexcept
    {
        const Wide y = (((s.x2 * c.b2 + x * c.b0) + c.b1 * s.x1) - c.a1 * s.y1) - s.y2 * c.a2;
        const auto rounded = lanes::flushZeroExponent(lanes::narrow(y));
        s.x2 = s.x1;
        s.x1 = x;
        s.y2 = s.y1;
        s.y1 = lanes::widen(rounded);
        return rounded;
    }

    float processOne(History& in, History& out, float sample) noexcept
    {
        State<double> s{in[0], in[1], out[0], out[1]};
        const float y = step(s, double{sample}, widened<double>(coefficients_));
        in = {sample, in[0]};
        out = {y, out[0]};
        return y;
    }

    Coefficients coefficients_;
    History inputHistoryLeft_{};
    History inputHistoryRight_{};
    History outputHistoryLeft_{};
    History outputHistoryRight_{};
};

inline LowpassBiquad::Coefficients LowpassBiquad::coefficientsFor(float cutoffHz, float resonance,
                                                                  float sampleRate) noexcept
{
    // 2*pi rounded to float (0x40C90FDB); the float constant is part of the result's bits.
    constexpr float twoPi = 6.2831855f;
    using F = float;
    const double q = resonance;
    const F t = F(1.0 / sampleRate);
    const F d = F((1.0 - q) + (1.0 - q)); // damping ratio
    const F w = F(double{cutoffHz} * twoPi);
    const F a = F(((double{w} * w) * t) * t);
    const F b = F((double{w} * d) * t);
    const F r = F((a - double{b} * 4.0) + 4.0);
    const F e = F((double{a} + a) - 8.0);
    const F g = F(1.0 / ((double{b} + 1.0) * 4.0 + a));

    Coefficients c;
    c.a1 = F(double{g} * e);
    c.a2 = F(double{g} * r);
    c.b0 = F(double{g} * a);
    c.b2 = c.b0;
    c.b1 = F(double{c.b0} + c.b0);
    return c;
}

template <typename Output>
void LowpassBiquad::processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                                 const Output& output) noexcept
{
    const WideCoefficients<lanes::DoublePair> c = widened<lanes::DoublePair>(coefficients_);
    run(
        inLeft, inRight, frames, [&](std::int32_t) -> const auto& { return c; }, output);
}

// Coefficients take longer to work out than a frame takes to filter, so they are worked out
// on every fourth frame and held for four: steps a quarter as often, each four times as
// small as the glide's, still far below what can be heard.
template <typename CoefficientsOf, typename Output>
void LowpassBiquad::processGliding(const float* inLeft, const float* inRight, std::int32_t frames,
                                   std::int32_t phase, const CoefficientsOf& coefficientsOf,
                                   const Output& output) noexcept
{
    if (frames <= 0)
        return;
    const auto heldFrom = [&](std::int32_t i) { return i - (i + phase) % glideHoldFrames; };
    WideCoefficients<lanes::DoublePair> held =
        widened<lanes::DoublePair>(coefficientsOf(heldFrom(0)));
    run(
        inLeft, inRight, frames,
        [&](std::int32_t i) -> const auto& {
            if ((i + phase) % glideHoldFrames == 0)
                held = widened<lanes::DoublePair>(coefficientsOf(i));
            return held;
        },
        output);
    coefficients_ = coefficientsOf(heldFrom(frames - 1));
}

template <typename CoefficientsAt, typename Output>
void LowpassBiquad::run(const float* inLeft, const float* inRight, std::int32_t frames,
                        const CoefficientsAt& coefficientsAt, const Output& output) noexcept
{
    using lanes::DoublePair, lanes::pairOf;
    State<DoublePair> s{pairOf(inputHistoryLeft_[0], inputHistoryRight_[0]),
                        pairOf(inputHistoryLeft_[1], inputHistoryRight_[1]),
                        pairOf(outputHistoryLeft_[0], outputHistoryRight_[0]),
                        pairOf(outputHistoryLeft_[1], outputHistoryRight_[1])};
    for (std::int32_t i = 0; i < frames; ++i)
    {
        const lanes::FloatPair y = step(s, lanes::loadPair(inLeft, inRight, i), coefficientsAt(i));
        output(i, y, s.y1);
    }
    // The widened history holds floats exactly, so narrowing gives them back unchanged.
    const auto left = [](DoublePair x) { return lanes::narrow(lanes::leftOf(x)); };
    const auto right = [](DoublePair x) { return lanes::narrow(lanes::rightOf(x)); };
    inputHistoryLeft_ = {left(s.x1), left(s.x2)};
    inputHistoryRight_ = {right(s.x1), right(s.x2)};
    outputHistoryLeft_ = {left(s.y1), left(s.y2)};
    outputHistoryRight_ = {right(s.y1), right(s.y2)};
}

} // namespace sweepfilter
