#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "PortableMath.h"

namespace sweepfilter::test
{
namespace
{

// Distance in units in the last place between two finite doubles of the same sign.
std::int64_t ulpsApart(double a, double b)
{
    return std::llabs(std::bit_cast<std::int64_t>(a) - std::bit_cast<std::int64_t>(b));
}

struct Agreement
{
    int differing = 0;
    std::int64_t worst = 0;
};

template <typename Ours, typename Reference>
Agreement compare(Ours ours, Reference reference, double from, double to, int count)
{
    Agreement agreement;
    std::uint64_t state = 12345;
    for (int i = 0; i < count; ++i)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double x = from + (to - from) * static_cast<double>(state >> 11) * 0x1p-53;
        const double a = ours(x), b = reference(x);
        if (a != b)
        {
            ++agreement.differing;
            agreement.worst = std::max(agreement.worst, ulpsApart(a, b));
        }
    }
    return agreement;
}

// The C library's results are within about half a unit of the truth; ours, within one unit,
// so they may differ from it in the last bit, by at most one unit and not often.
TEST(PortableMath, AgreesWithTheCLibraryToTheLastBitAlmostEverywhere)
{
    const auto exp = compare(
        portable::exp, [](double x) { return std::exp(x); }, -745.0, 709.0, 400000);
    EXPECT_LE(exp.worst, 1);
    EXPECT_LT(exp.differing, 400000 / 6);
    const auto expNear = compare(
        portable::exp, [](double x) { return std::exp(x); }, 5.0, 10.0, 400000);
    EXPECT_LE(expNear.worst, 1);
    EXPECT_LT(expNear.differing, 400000 / 6);
    const auto sinSweep = compare(
        portable::sin, [](double x) { return std::sin(x); }, 0.0, 3.2, 400000);
    EXPECT_LE(sinSweep.worst, 1);
    EXPECT_LT(sinSweep.differing, 400000 / 6);
    const auto sinWide = compare(
        portable::sin, [](double x) { return std::sin(x); }, -800000.0, 800000.0, 400000);
    EXPECT_LE(sinWide.worst, 1);
    EXPECT_LT(sinWide.differing, 400000 / 6);
}

TEST(PortableMath, SpecialValues)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(portable::exp(0.0), 1.0);
    EXPECT_EQ(portable::exp(-0.0), 1.0);
    EXPECT_LE(ulpsApart(portable::exp(1.0), std::exp(1.0)), 1);
    EXPECT_EQ(portable::exp(inf), inf);
    EXPECT_EQ(portable::exp(-inf), 0.0);
    EXPECT_EQ(portable::exp(710.0), inf);
    EXPECT_EQ(portable::exp(-746.0), 0.0);
    EXPECT_LE(ulpsApart(portable::exp(709.7), std::exp(709.7)), 1);
    EXPECT_LE(ulpsApart(portable::exp(-740.0), std::exp(-740.0)), 1); // a subnormal result
    EXPECT_TRUE(std::isnan(portable::exp(nan)));
    EXPECT_EQ(portable::sin(0.0), 0.0);
    EXPECT_TRUE(std::signbit(portable::sin(-0.0)));
    EXPECT_EQ(portable::sin(1e-300), 1e-300);
    EXPECT_LE(ulpsApart(portable::sin(3.14159265358979), std::sin(3.14159265358979)), 1); // near pi
    EXPECT_TRUE(std::isnan(portable::sin(inf)));
    EXPECT_TRUE(std::isnan(portable::sin(-inf)));
    EXPECT_TRUE(std::isnan(portable::sin(nan)));
    EXPECT_TRUE(std::isfinite(portable::sin(1e300)));
}

} // namespace
} // namespace sweepfilter::test
