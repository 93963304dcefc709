#include "PortableMath.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

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

namespace
{

// |x| = n pi/2 + (y0 + y1) for a finite x >= 0, reduced in three steps so that no bits are
// lost to cancellation.
struct Reduced
{
    int n;
    double y0, y1;
};

Reduced reduceHalfPi(double x)
{
    constexpr double pi = fromBits(0x400921FB54442D18);
    constexpr double mediumLimit = 0x1p19 * (pi / 2.0);
    constexpr double inverseHalfPi = fromBits(0x3FE45F306DC9C883);
    // pi/2 in three pieces of 33 bits, each with its remainder.
    constexpr double halfPi1 = fromBits(0x3FF921FB54400000);
    constexpr double halfPi2 = fromBits(0x3DD0B4611A600000),
                     halfPi2Tail = fromBits(0x3BA3198A2E037073);
    constexpr double halfPi3 = fromBits(0x3BA3198A2E000000),
                     halfPi3Tail = fromBits(0x397B839A252049C1);

    if (x >= mediumLimit)
        x = std::fmod(x, 2.0 * pi); // exact, but 2*pi is itself rounded
    const int n = static_cast<int>(x * inverseHalfPi + 0.5);
    const double fn = n;
    double t = x - fn * halfPi1; // exact: halfPi1 has 33 bits, n at most 20
    double w = fn * halfPi2;
    double r = t - w;
    w = fn * halfPi2Tail - ((t - r) - w);
    t = r;
    w = fn * halfPi3;
    r = t - w;
    w = fn * halfPi3Tail - ((t - r) - w);
    const double y0 = r - w;
    const double y1 = (r - y0) - w;
    return {n, y0, y1};
}

constexpr double quarterPi = fromBits(0x3FE921FB54442D18);

} // namespace

double sin(double x) noexcept
{
    if (!std::isfinite(x))
        return x - x;
    if (std::fabs(x) <= quarterPi)
        return kernelSin(x, 0.0, false);
    Reduced r = reduceHalfPi(std::fabs(x));
    if (x < 0.0)
    {
        r.y0 = -r.y0;
        r.y1 = -r.y1;
    }
    switch ((x < 0.0 ? -r.n : r.n) & 3)
    {
    case 0:
        return kernelSin(r.y0, r.y1, true);
    case 1:
        return kernelCos(r.y0, r.y1);
    case 2:
        return -kernelSin(r.y0, r.y1, true);
    default:
        return -kernelCos(r.y0, r.y1);
    }
}

double cos(double x) noexcept
{
    if (!std::isfinite(x))
        return x - x;
    x = std::fabs(x);
    if (x <= quarterPi)
        return kernelCos(x, 0.0);
    const Reduced r = reduceHalfPi(x);
    switch (r.n & 3)
    {
    case 0:
        return kernelCos(r.y0, r.y1);
    case 1:
        return -kernelSin(r.y0, r.y1, true);
    case 2:
        return -kernelCos(r.y0, r.y1);
    default:
        return kernelSin(r.y0, r.y1, true);
    }
}

double log(double x) noexcept
{
    constexpr double ln2High = fromBits(0x3FE62E42FEE00000), ln2Low = fromBits(0x3DEA39EF35793C76);
    constexpr double lg1 = fromBits(0x3FE5555555555593), lg2 = fromBits(0x3FD999999997FA04),
                     lg3 = fromBits(0x3FD2492494229359), lg4 = fromBits(0x3FCC71C51D8E78AF),
                     lg5 = fromBits(0x3FC7466496CB03DE), lg6 = fromBits(0x3FC39A09D078C69F),
                     lg7 = fromBits(0x3FC2F112DF3E5244);

    if (std::isnan(x) || x < 0.0)
        return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0)
        return -HUGE_VAL;
    if (std::isinf(x))
        return x;
    int k = 0;
    if (x < 0x1p-1022)
    {
        k -= 54;
        x *= 0x1p54; // a subnormal: scale it up first
    }
    std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    auto hx = static_cast<std::int32_t>(bits >> 32);
    k += (hx >> 20) - 1023;
    hx &= 0x000FFFFF;
    // x scaled into [sqrt(2)/2, sqrt(2)), k counting the factors of two taken out.
    const std::int32_t i = (hx + 0x95F64) & 0x100000;
    bits = (bits & 0xFFFFFFFFu) | (static_cast<std::uint64_t>(hx | (i ^ 0x3FF00000)) << 32);
    k += i >> 20;
    const double f = std::bit_cast<double>(bits) - 1.0;
    const double dk = k;
    if ((0x000FFFFF & (2 + hx)) < 3) // |f| < 2^-20
    {
        if (f == 0.0)
            return k == 0 ? 0.0 : dk * ln2High + dk * ln2Low;
        const double r = f * f * (0.5 - 0.33333333333333333 * f);
        return k == 0 ? f - r : dk * ln2High - ((r - dk * ln2Low) - f);
    }
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (lg2 + w * (lg4 + w * lg6));
    const double t2 = z * (lg1 + w * (lg3 + w * (lg5 + w * lg7)));
    const double r = t2 + t1;
    if (((hx - 0x6147A) | (0x6B851 - hx)) > 0)
    {
        const double halfSquare = 0.5 * f * f;
        if (k == 0)
            return f - (halfSquare - s * (halfSquare + r));
        return dk * ln2High - ((halfSquare - (s * (halfSquare + r) + dk * ln2Low)) - f);
    }
    if (k == 0)
        return f - s * (f - r);
    return dk * ln2High - ((s * (f - r) - dk * ln2Low) - f);
}

double atan(double x) noexcept
{
    constexpr double high[] = {fromBits(0x3FDDAC670561BB4F), fromBits(0x3FE921FB54442D18),
                               fromBits(0x3FEF730BD281F69B), fromBits(0x3FF921FB54442D18)};
    constexpr double low[] = {fromBits(0x3C7A2B7F222F65E2), fromBits(0x3C81A62633145C07),
                              fromBits(0x3C7007887AF0CBBD), fromBits(0x3C91A62633145C07)};
    constexpr double a[] = {
        fromBits(0x3FD555555555550D), fromBits(0xBFC999999998EBC4), fromBits(0x3FC24924920083FF),
        fromBits(0xBFBC71C6FE231671), fromBits(0x3FB745CDC54C206E), fromBits(0xBFB3B0F2AF749A6D),
        fromBits(0x3FB10D66A0D03D51), fromBits(0xBFADDE2D52DEFD9A), fromBits(0x3FA97B4B24760DEB),
        fromBits(0xBFA2B4442C6A6C2F), fromBits(0x3F90AD3AE322DA11)};

    if (std::isnan(x))
        return x + x;
    const double ax = std::fabs(x);
    if (ax >= 0x1p66)
        return std::copysign(high[3] + low[3], x);
    if (ax < 0x1p-29)
        return x;
    // Reduced to |t| < 7/16 around one of four anchors (or none).
    int id = -1;
    double t = x;
    if (ax >= 0.4375)
    {
        if (ax < 0.6875)
        {
            id = 0;
            t = (2.0 * ax - 1.0) / (2.0 + ax);
        }
        else if (ax < 1.1875)
        {
            id = 1;
            t = (ax - 1.0) / (ax + 1.0);
        }
        else if (ax < 2.4375)
        {
            id = 2;
            t = (ax - 1.5) / (1.0 + 1.5 * ax);
        }
        else
        {
            id = 3;
            t = -1.0 / ax;
        }
    }
    const double z = t * t;
    const double w = z * z;
    const double s1 = z * (a[0] + w * (a[2] + w * (a[4] + w * (a[6] + w * (a[8] + w * a[10])))));
    const double s2 = w * (a[1] + w * (a[3] + w * (a[5] + w * (a[7] + w * a[9]))));
    if (id < 0)
        return t - t * (s1 + s2);
    const double result = high[id] - ((t * (s1 + s2) - low[id]) - t);
    return std::copysign(result, x);
}

} // namespace sweepfilter::portable
