#pragma once

namespace sweepfilter::portable
{

// exp and sin that give the same bits on every platform. The C libraries of different
// systems round some results differently in the last bit, and a cutoff or a sweep-table
// entry computed from such a result can then differ too. These use only IEEE additions,
// multiplications and divisions in a fixed order (the classic fdlibm algorithms: argument
// reduction, then a minimax polynomial), accurate to within one unit in the last place.

// e^x; +inf above about 709.78, +0 below about -745.13, NaN for NaN.
double exp(double x) noexcept;

// sin x; NaN for infinities and NaN. Accurate for |x| below about 823550; beyond, the
// argument is first reduced modulo 2*pi, which keeps the result deterministic but less exact.
double sin(double x) noexcept;

} // namespace sweepfilter::portable
