#pragma once

namespace sweepfilter
{

// Computes a * b + c in a translation unit built with the effect's arithmetic settings. The
// effect's results are defined with every product rounded before the sum; a build that fuses
// multiply and add (or evaluates with excess precision) changes the last bits. The test suite
// calls this with operands where the two differ, so such a build fails loudly.
double multiplyThenAdd(double a, double b, double c) noexcept;

} // namespace sweepfilter
