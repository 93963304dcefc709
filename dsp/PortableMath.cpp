#include "PortableMath.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace sweepfilter::portable
{
namespace
{

// A double from its bit pattern; the constants below are given exactly that way.
constexpr double fromBits(std::uint64_t bits)
{
    return std::bit_cast<double>(bits);
}

// 2^k for a k of a normal exponent, built exactly.
double powerOfTwo(int k)
{
    return fromBits(static_cast<std::uint64_t>(k + 1023) << 52);
}

// sin on [-pi/4, pi/4] for x + y, y the tail of a reduced argument (`hasTail` false: y = 0).
double kernelSin(double x, double y, bool hasTail)
{
    constexpr double s1 = fromBits(0xBFC5555555555549), s2 = fromBits(0x3F8111111110F8A6),
                     s3 = fromBits(0xBF2A01A019C161D5), s4 = fromBits(0x3EC71DE357B1FE7D),
                     s5 = fromBits(0xBE5AE5E68A2B9CEB), s6 = fromBits(0x3DE5D93A5ACFD57C);
    if (std::fabs(x) < 0x1p-27)
        return x;
    const double z = x * x;
    const double v = z * x;
    const double r = s2 + z * (s3 + z * (s4 + z * (s5 + z * s6)));
    if (!hasTail)
        return x + v * (s1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * s1);
}

// cos on [-pi/4, pi/4] for x + y.
double kernelCos(double x, double y)
{
    constexpr double c1 = fromBits(0x3FA555555555554C), c2 = fromBits(0xBF56C16C16C15177),
                     c3 = fromBits(0x3EFA01A019CB1590), c4 = fromBits(0xBE927E4F809C52AD),
                     c5 = fromBits(0x3E21EE9EBDB4B1C4), c6 = fromBits(0xBDA8FAE9BE8838D4);
    const double ax = std::fabs(x);
    if (ax < 0x1p-27)
        return 1.0;
    const double z = x * x;
    const double r = z * (c1 + z * (c2 + z * (c3 + z * (c4 + z * (c5 + z * c6)))));
    if (ax < 0.3)
        return 1.0 - (0.5 * z - (z * r - x * y));
    // qx is x/4 cut to its leading bits (0.28125 above 0.78125), so that 1 - qx is exact.
    const double qx = ax > 0.78125
                          ? 0.28125
                          : fromBits((std::bit_cast<std::uint64_t>(ax) - (std::uint64_t{2} << 52)) &
                                     0xFFFFFFFF00000000);
    const double hz = 0.5 * z - qx;
    const double a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

} // namespace

double exp(double x) noexcept
{
    constexpr double overflowThreshold = fromBits(0x40862E42FEFA39EF);
    constexpr double underflowThreshold = fromBits(0xC0874910D52D3051);
    // ln 2 split so that k * ln2High is exact for every k in range.
    constexpr double ln2High = fromBits(0x3FE62E42FEE00000), ln2Low = fromBits(0x3DEA39EF35793C76);
    constexpr double inverseLn2 = fromBits(0x3FF71547652B82FE);
    constexpr double p1 = fromBits(0x3FC555555555553E), p2 = fromBits(0xBF66C16C16BEBD93),
                     p3 = fromBits(0x3F11566AAF25DE2C), p4 = fromBits(0xBEBBBD41C5D26BF1),
                     p5 = fromBits(0x3E66376972BEA4D0);

    if (std::isnan(x))
        return x + x;
    if (x > overflowThreshold)
        return HUGE_VAL;
    if (x < underflowThreshold)
        return 0.0;
    if (std::fabs(x) < 0x1p-28)
        return 1.0 + x;

    // x = k ln2 + r with |r| <= ln2 / 2, r held as hi - lo.
    int k = 0;
    double hi = x, lo = 0.0;
    if (std::fabs(x) > 0.5 * ln2High)
    {
        k = static_cast<int>(inverseLn2 * x + (x < 0.0 ? -0.5 : 0.5));
        const double kd = k;
        hi = x - kd * ln2High;
        lo = kd * ln2Low;
    }
    const double r = hi - lo;
    const double t = r * r;
    const double c = r - t * (p1 + t * (p2 + t * (p3 + t * (p4 + t * p5))));
    if (k == 0)
        return 1.0 - ((r * c) / (c - 2.0) - r);
    const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
    // y * 2^k, in steps that stay exact while the result is a normal number.
    if (k > 1023)
        return y * 2.0 * powerOfTwo(k - 1);
    if (k >= -1021)
        return y * powerOfTwo(k);
    return y * powerOfTwo(k + 1000) * powerOfTwo(-1000);
}

double sin(double x) noexcept
{
    constexpr double pi = fromBits(0x400921FB54442D18);
    constexpr double quarterPi = fromBits(0x3FE921FB54442D18);
    constexpr double mediumLimit = 0x1p19 * (pi / 2.0);
    constexpr double inverseHalfPi = fromBits(0x3FE45F306DC9C883);
    // pi/2 in three pieces of 33 bits, each with its remainder.
    constexpr double halfPi1 = fromBits(0x3FF921FB54400000);
    constexpr double halfPi2 = fromBits(0x3DD0B4611A600000),
                     halfPi2Tail = fromBits(0x3BA3198A2E037073);
    constexpr double halfPi3 = fromBits(0x3BA3198A2E000000),
                     halfPi3Tail = fromBits(0x397B839A252049C1);

    if (!std::isfinite(x))
        return x - x;
    if (std::fabs(x) <= quarterPi)
        return kernelSin(x, 0.0, false);
    if (std::fabs(x) >= mediumLimit)
        x = std::fmod(x, 2.0 * pi); // exact, but 2*pi is itself rounded

    // |x| = n pi/2 + (y0 + y1), reduced in three steps so that no bits are lost to cancellation.
    const double t0 = std::fabs(x);
    const int n = static_cast<int>(t0 * inverseHalfPi + 0.5);
    const double fn = n;
    double t = t0 - fn * halfPi1; // exact: halfPi1 has 33 bits, n at most 20
    double w = fn * halfPi2;
    double r = t - w;
    w = fn * halfPi2Tail - ((t - r) - w);
    t = r;
    w = fn * halfPi3;
    r = t - w;
    w = fn * halfPi3Tail - ((t - r) - w);
    double y0 = r - w;
    double y1 = (r - y0) - w;
    if (x < 0.0)
    {
        y0 = -y0;
        y1 = -y1;
    }
    const int quadrant = (x < 0.0 ? -n : n) & 3;
    switch (quadrant)
    {
    case 0:
        return kernelSin(y0, y1, true);
    case 1:
        return kernelCos(y0, y1);
    case 2:
        return -kernelSin(y0, y1, true);
    default:
        return -kernelCos(y0, y1);
    }
}

} // namespace sweepfilter::portable
