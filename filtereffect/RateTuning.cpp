#include "RateTuning.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>

namespace sweepfilter
{
namespace
{

// The tuning runs on every sweep step, so it uses short series instead of the C library's
// functions: relative errors below 1e-9 (far below what moves a response), only additions,
// multiplications and divisions in a fixed order, so the same bits on every platform.

constexpr double pi = 3.141592653589793;
// How close to half the host's rate a moved corner or pole may come.
constexpr double highestAngle = 0.98 * pi;
constexpr double highestSoftAngle = 0.49 * pi;

// c[0] + c[1] x + c[2] x^2 + ...: neighbours paired with x, the pairs paired with x^2, and
// so on (Estrin's scheme), so the chain of dependent operations grows with the logarithm of
// the degree rather than with the degree.
template <std::size_t count>
constexpr double polynomial(double x, std::array<double, count> c) noexcept
{
    std::size_t terms = count;
    for (double step = x; terms > 1; step *= step)
    {
        for (std::size_t k = 0; 2 * k < terms; ++k)
            c[k] = 2 * k + 1 < terms ? c[2 * k] + step * c[2 * k + 1] : c[2 * k];
        terms = (terms + 1) / 2;
    }
    return c[0];
}

// 1/1, -1/3, 1/5, ...: the series of atan; and 1/1, 1/3, 1/5, ...: that of atanh.
template <std::size_t count>
constexpr std::array<double, count> oddReciprocals(double sign) noexcept
{
    std::array<double, count> values{};
    double s = 1.0;
    for (std::size_t k = 0; k < count; ++k, s *= sign)
        values[k] = s / static_cast<double>(2 * k + 1);
    return values;
}

// atan x for x >= 0: reduced with one division to |t| <= tan(pi/8) around 0, pi/4 or pi/2,
// then the series to t^19.
double arcTangent(double x) noexcept
{
    double t = x, base = 0.0;
    if (x > 2.414213562373095)
    {
        t = -1.0 / x;
        base = pi / 2.0;
    }
    else if (x > 0.41421356237309503)
    {
        t = (x - 1.0) / (x + 1.0);
        base = pi / 4.0;
    }
    constexpr auto series = oddReciprocals<10>(-1.0);
    return base + t * polynomial(t * t, series);
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
    constexpr auto series = [] {
        std::array<double, 9> values{};
        double term = 1.0;
        for (std::size_t k = 0; k < values.size(); ++k)
        {
            values[k] = term;
            term /= -static_cast<double>((2 * k + 1) * (2 * k + 2));
        }
        return values;
    }();
    const bool folded = a > pi / 2.0;
    if (folded)
        a = pi - a;
    const double value = polynomial(a * a, series);
    return folded ? -value : value;
}

// x^r for x > 0: ln x from the exponent and 2 atanh((m - 1)/(m + 1)) of the mantissa m in
// [sqrt(1/2), sqrt(2)), then e^(r ln x) from 2^k and the series of the remainder. The exponent
// and 2^k are taken from and put into the bits, exactly.
double power(double x, double r) noexcept
{
    constexpr double ln2 = 0.6931471805599453, inverseLn2 = 1.4426950408889634;
    constexpr auto exponentialSeries = [] {
        std::array<double, 11> values{};
        double term = 1.0;
        for (std::size_t n = 0; n < values.size(); ++n)
        {
            values[n] = term;
            term /= static_cast<double>(n + 1);
        }
        return values;
    }();
    if (!(x >= 0x1p-1022)) // zero, subnormal or NaN: a pole at the origin stays there
        return 0.0;
    const auto bits = std::bit_cast<std::uint64_t>(x);
    int exponent = static_cast<int>(bits >> 52) - 1023;
    double mantissa = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFFu) | 0x3FF0000000000000u);
    if (mantissa > 1.4142135623730951)
    {
        mantissa *= 0.5;
        ++exponent;
    }
    const double s = (mantissa - 1.0) / (mantissa + 1.0);
    constexpr auto logSeries = oddReciprocals<6>(1.0);
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
