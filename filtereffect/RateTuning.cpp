#include "RateTuning.h"

#include <algorithm>
#include <cmath>

#include "PortableMath.h"

namespace sweepfilter
{
namespace
{

constexpr double pi = 3.141592653589793;
// How close to half the host's rate a moved corner or pole may come.
constexpr double highestAngle = 0.98 * pi;
constexpr double highestSoftAngle = 0.49 * pi;

double tan(double x) noexcept
{
    return portable::sin(x) / portable::cos(x);
}

// The angle of (x, y) for y >= 0: 0..pi.
double upperAngle(double y, double x) noexcept
{
    if (x > 0.0)
        return portable::atan(y / x);
    if (x < 0.0)
        return pi - portable::atan(y / -x);
    return pi / 2.0;
}

// x^r with x's sign kept, for a real pole: a negative pole sits at half the rate, where it
// stays.
double signedPower(double x, double r) noexcept
{
    if (x == 0.0)
        return 0.0;
    return std::copysign(portable::exp(r * portable::log(std::fabs(x))), x);
}

} // namespace

RateTuning::RateTuning(float hostRate) noexcept
    : hostRate_(hostRate), ratio_(double{tunedRate} / double{hostRate})
{
}

float RateTuning::softCutoffHz(float cutoffHz) const noexcept
{
    if (isIdentity() || !(cutoffHz > 0.0f))
        return cutoffHz;
    const double angle = ratio_ * portable::atan(pi * double{cutoffHz} / double{tunedRate});
    return static_cast<float>(double{hostRate_} / pi * tan(std::min(angle, highestSoftAngle)));
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
        const double newRho = portable::exp(r * portable::log(rho));
        newSum = 2.0 * newRho * portable::cos(std::min(r * theta, highestAngle));
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
