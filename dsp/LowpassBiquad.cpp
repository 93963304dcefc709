#include "LowpassBiquad.h"

namespace sweepfilter
{

void LowpassBiquad::computeCoefficients(float cutoffHz, float resonance, float sampleRate) noexcept
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

    coefficients_.a1 = F(double{g} * e);
    coefficients_.a2 = F(double{g} * r);
    coefficients_.b0 = F(double{g} * a);
    coefficients_.b2 = coefficients_.b0;
    coefficients_.b1 = F(double{coefficients_.b0} + coefficients_.b0);
}

} // namespace sweepfilter
