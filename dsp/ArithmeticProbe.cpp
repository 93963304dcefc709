#include "ArithmeticProbe.h"

#include "FloatBits.h"

namespace sweepfilter
{

double multiplyThenAdd(double a, double b, double c) noexcept
{
    return a * b + c;
}

} // namespace sweepfilter
