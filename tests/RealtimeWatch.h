#pragma once

#include <atomic>

namespace sweepfilter::test
{

// The executable replaces the C library's allocation, lock and sleep functions with ones that
// count their calls while `watching` is set, and can make an allocation fail on request. The
// plug-in library binds to them, as the executable exports them.
struct RealtimeWatch
{
    static std::atomic<bool> watching;
    static std::atomic<long> allocations, locks, sleeps;
    static std::atomic<long> failingAllocation; // 0: none; n: the n-th from now on fails
};

} // namespace sweepfilter::test
