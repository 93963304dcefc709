#include "RateTuning.h"

#include "TuningSeries.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>

namespace sweepfilter
{
namespace
{

using namespace tuning;

// atan x for x >= 0: reduced with one division to |t| <= tan(pi/8) around 0, pi/4 or pi/2,
// then the series to t^19.
double arcTangent(double x) noexcept
{
    double t = x, base = 0.0;
    if (x > tanThreeEighthsPi)
    {
        t = -1.0 / x;
        base = pi / 2.0;
    }
    else if (x > tanEighthPi)
    {
        t = (x - 1.0) / (x + 1.0);
        base = pi / 4.0;
    }
    return base + t * polynomial(t * t, arcTangentSeries);
}

// tan y for 0 <= y < pi/2: folded to y <= pi/4, then a (7, 6) Pade approximant.
double tangent(double y) noexcept
{
    const bool folded = y > pi / 4.0;
    if (folded)
        y = pi / 2.0 - y;
    const double z = y * y;
    const double numerator = y * (135135.0 - z * (17325.0 - z * (378.0 - z)));
    const double denominator = 135135.0 - z * (62370.0 - z * (3150.0 - 28.0 * z));
    return folded ? denominator / numerator : numerator / denominator;
}

// cos a for 0 <= a <= pi: folded to a <= pi/2, then the series to a^16.
double cosine(double a) noexcept
{
    const bool folded = a > pi / 2.0;
    if (folded)
        a = pi - a;
    const double value = polynomial(a * a, cosineSeries);
    return folded ? -value : value;
}

// x^r for x > 0: ln x from the exponent and 2 atanh((m - 1)/(m + 1)) of the mantissa m in
// [sqrt(1/2), sqrt(2)), then e^(r ln x) from 2^k and the series of the remainder. The exponent
// and 2^k are taken from and put into the bits, exactly.
double power(double x, double r) noexcept
{
    if (!(x >= 0x1p-1022)) // zero, subnormal or NaN: a pole at the origin stays there
        return 0.0;
    const auto bits = std::bit_cast<std::uint64_t>(x);
    int exponent = static_cast<int>(bits >> 52) - 1023;
    double mantissa = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFFu) | 0x3FF0000000000000u);
    if (mantissa > sqrtTwo)
    {
        mantissa *= 0.5;
        ++exponent;
    }
    const double s = (mantissa - 1.0) / (mantissa + 1.0);
    const double y = r * (exponent * ln2 + 2.0 * s * polynomial(s * s, logSeries));
    if (!(y > -700.0))
        return 0.0;
    const double k = std::floor(y * inverseLn2 + 0.5);
    const double t = y - k * ln2;
    const auto scale =
        std::bit_cast<double>(static_cast<std::uint64_t>(static_cast<int>(k) + 1023) << 52);
    return polynomial(t, exponentialSeries) * scale;
}

// The angle of (x, y) for y >= 0: 0..pi.
double upperAngle(double y, double x) noexcept
{
    if (x > 0.0)
        return arcTangent(y / x);
    if (x < 0.0)
        return pi - arcTangent(y / -x);
    return pi / 2.0;
}

// x^r with x's sign kept, for a real pole: a negative pole sits at half the rate, where it
// stays.
double signedPower(double x, double r) noexcept
{
    if (x == 0.0)
        return 0.0;
    return std::copysign(power(std::fabs(x), r), x);
}

} // namespace

RateTuning::RateTuning(float hostRate) noexcept
    : hostRate_(hostRate), ratio_(double{tunedRate} / double{hostRate}),
      ratePerPi_(double{hostRate} / pi)
{
}

float RateTuning::softCutoffHz(float cutoffHz) const noexcept
{
    if (isIdentity() || !(cutoffHz > 0.0f))
        return cutoffHz;
    const double angle = ratio_ * arcTangent(pi * double{cutoffHz} / double{tunedRate});
    return static_cast<float>(ratePerPi_ * tangent(std::min(angle, highestSoftAngle)));
}

// With p = 1 - f the poles are the roots of z^2 - S z + P, S = 2p + q(1 - p^2) and
// P = p^2 + q(1 - p^2); so (1 - p)^2 = 1 + P - S and q = (P - p^2) / (1 - p^2).
RateTuning::HardSetting RateTuning::hard(float normalisedCutoff, float resonance) const noexcept
{
    const HardSetting unchanged{normalisedCutoff, resonance};
    if (isIdentity())
        return unchanged;
    const double r = ratio_;
    const double p = 1.0 - double{normalisedCutoff}, q = resonance;
    const double sum = 2.0 * p + q * (1.0 - p * p), product = p * p + q * (1.0 - p * p);
    const double discriminant = sum * sum - 4.0 * product;
    double newSum, newProduct;
    if (discriminant < 0.0)
    {
        // A complex pair rho e^(+-i theta).
        const double rho = std::sqrt(product);
        const double theta = upperAngle(std::sqrt(-discriminant), sum);
        const double newRho = power(rho, r);
        newSum = 2.0 * newRho * cosine(std::min(r * theta, highestAngle));
        newProduct = newRho * newRho;
    }
    else
    {
        const double root = std::sqrt(discriminant);
        const double z1 = signedPower((sum + root) / 2.0, r),
                     z2 = signedPower((sum - root) / 2.0, r);
        newSum = z1 + z2;
        newProduct = z1 * z2;
    }
    const double squaredStage = 1.0 + newProduct - newSum;
    if (!(squaredStage > 0.0)) // a pole at 1: the stage stands still at every rate
        return unchanged;
    const double stage = std::sqrt(squaredStage);
    const double newP = 1.0 - stage;
    const double denominator = 1.0 - newP * newP;
    const double newQ = denominator > 1e-12 ? (newProduct - newP * newP) / denominator : q;
    const HardSetting moved{static_cast<float>(stage), static_cast<float>(newQ)};
    if (!std::isfinite(moved.stageCoefficient) || !std::isfinite(moved.resonance))
        return unchanged;
    return moved;
}

} // namespace sweepfilter
