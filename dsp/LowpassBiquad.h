#pragma once

#include <array>
#include <cstdint>

#include "FloatBits.h"
#include "StereoOutput.h"

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

    // The same as calling processLeft and processRight for each frame in turn and handing
    // each output pair to `output` (see StereoOutput.h), with the state held in registers for
    // the whole block. The output may write where the inputs are read.
    template <typename Output>
    void processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
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

#if defined(__SSE2__)

// Both channels side by side in one register: lane 0 left, lane 1 right. Each lane performs
// exactly the scalar operations in the same order, so the results are the same bits. Only
// the dependency on the previous output remains on the critical path; the flush of -0.0 and
// subnormal outputs is a rarely taken branch beside it.
template <typename Output>
void LowpassBiquad::processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                                 const Output& output) noexcept
{
    const Coefficients& c = coefficients_;
    const __m128d b0 = _mm_set1_pd(c.b0), b1 = _mm_set1_pd(c.b1), b2 = _mm_set1_pd(c.b2);
    const __m128d a1 = _mm_set1_pd(c.a1), a2 = _mm_set1_pd(c.a2);
    __m128d x1 = _mm_set_pd(inputHistoryRight_[0], inputHistoryLeft_[0]);
    __m128d x2 = _mm_set_pd(inputHistoryRight_[1], inputHistoryLeft_[1]);
    __m128d y1 = _mm_set_pd(outputHistoryRight_[0], outputHistoryLeft_[0]);
    __m128d y2 = _mm_set_pd(outputHistoryRight_[1], outputHistoryLeft_[1]);
    const __m128i exponentMask = _mm_set1_epi32(static_cast<int>(floatExponentMask));
    const __m128i zero = _mm_setzero_si128();

    for (std::int32_t i = 0; i < frames; ++i)
    {
        const __m128d x =
            _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(inLeft + i), _mm_load_ss(inRight + i)));
        const __m128d term =
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(x2, b2), _mm_mul_pd(x, b0)), _mm_mul_pd(b1, x1));
        const __m128d y = _mm_sub_pd(_mm_sub_pd(term, _mm_mul_pd(a1, y1)), _mm_mul_pd(y2, a2));
        __m128 yf = _mm_cvtpd_ps(y);
        // Lanes with a zero exponent that are not already +0.0 (that is -0.0 or subnormal).
        const __m128i bits = _mm_castps_si128(yf);
        const __m128i needsFlush =
            _mm_andnot_si128(_mm_cmpeq_epi32(bits, zero),
                             _mm_cmpeq_epi32(_mm_and_si128(bits, exponentMask), zero));
        if (_mm_movemask_ps(_mm_castsi128_ps(needsFlush)) & 3) [[unlikely]]
            yf = _mm_andnot_ps(_mm_castsi128_ps(needsFlush), yf);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = _mm_cvtps_pd(yf);
        output(i, yf, y1);
    }

    const auto lane = [](__m128d pair, int index) {
        return static_cast<float>(index == 0 ? _mm_cvtsd_f64(pair)
                                             : _mm_cvtsd_f64(_mm_unpackhi_pd(pair, pair)));
    };
    inputHistoryLeft_ = {lane(x1, 0), lane(x2, 0)};
    inputHistoryRight_ = {lane(x1, 1), lane(x2, 1)};
    outputHistoryLeft_ = {lane(y1, 0), lane(y2, 0)};
    outputHistoryRight_ = {lane(y1, 1), lane(y2, 1)};
}

#else

template <typename Output>
void LowpassBiquad::processBlock(const float* inLeft, const float* inRight, std::int32_t frames,
                                 const Output& output) noexcept
{
    for (std::int32_t i = 0; i < frames; ++i)
    {
        const float left = inLeft[i], right = inRight[i];
        const float yLeft = processLeft(left);
        output(i, yLeft, processRight(right));
    }
}

#endif

} // namespace sweepfilter
