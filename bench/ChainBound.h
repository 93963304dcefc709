#pragma once

#include <cstdint>

namespace sweepfilter::bench
{

// The dependency chains that bound each filter: every output needs the previous one rounded
// to float and widened back. These kernels run only that chain, for two channels side by side
// in one register, with no loads, stores or branches in it, written in assembly so that no
// compiler can shorten it. They return a value so the work cannot be dropped.

// Soft: widen(round(y)) * a1, subtracted from an independent term, minus the y2*a2 product.
double softChainBound(std::int64_t frames) noexcept;

// Hard: both stage updates of one sample, each ending in a round to float and a widening.
double hardChainBound(std::int64_t frames) noexcept;

} // namespace sweepfilter::bench
