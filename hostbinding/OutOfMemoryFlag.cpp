#include "OutOfMemoryFlag.h"

#include <atomic>

namespace sweepfilter
{
namespace
{
// Atomic so that effects built on several host threads at once never race on it.
std::atomic<bool> outOfMemory{false};
} // namespace

void raiseOutOfMemory() noexcept
{
    outOfMemory.store(true, std::memory_order_relaxed);
}

bool isOutOfMemory() noexcept
{
    return outOfMemory.load(std::memory_order_relaxed);
}

} // namespace sweepfilter
