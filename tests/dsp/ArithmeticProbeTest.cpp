#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "ArithmeticProbe.h"

namespace sweepfilter::test
{
namespace
{

// (1 + 2^-30)^2 - 1 is 2^-29 + 2^-60 exactly; with the product rounded first it is 2^-29.
// A fused multiply-add keeps the 2^-60 and breaks every bit-exact result of the effect.
TEST(ArithmeticProbe, EffectCodeRoundsProductsBeforeSums)
{
    volatile double a = 1.0 + std::ldexp(1.0, -30);
    volatile double c = -1.0;
    const double result = multiplyThenAdd(a, a, c);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(result),
              std::bit_cast<std::uint64_t>(std::ldexp(1.0, -29)))
        << "the effect's code is built with fused multiply-add or excess precision";
}

} // namespace
} // namespace sweepfilter::test
