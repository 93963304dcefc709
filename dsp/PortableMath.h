#pragma once

namespace sweepfilter::portable
{

// exp, log, sin, cos and atan that give the same bits on every platform. The C libraries of
// different systems round some results differently in the last bit, and a cutoff or a sweep-table
// entry computed from such a result can then differ too. These use only IEEE additions,
// multiplications and divisions in a fixed order (the classic fdlibm algorithms: argument
// reduction, then a minimax polynomial), accurate to within one unit in the last place.

// e^x; +inf above about 709.78, +0 below about -745.13, NaN for NaN.
double exp(double x) noexcept;

// sin x; NaN for infinities and NaN. Accurate for |x| below about 823550; beyond, the
// argument is first reduced modulo 2*pi, which keeps the result deterministic but less exact.
double sin(double x) noexcept;

// cos x; NaN for infinities and NaN; the same reduction as sin.
double cos(double x) noexcept;

// The natural logarithm; -inf for zero, NaN below zero and for NaN, +inf for +inf.
double log(double x) noexcept;

// The arc tangent, in -pi/2..pi/2; NaN for NaN.
double atan(double x) noexcept;

} // namespace sweepfilter::portable
