#pragma once

#include <atomic>
#include <cstdint>

#include "EffectRecord.h"

namespace sweepfilter::test
{

// Every allocation of this process, the plug-in's included, goes through the executable's own
// operator new and delete (exported, so that the loaded library binds to them too). They
// count, and can make the n-th non-throwing allocation from now on fail.
extern std::atomic<long> liveAllocations;
extern std::atomic<long> allocations;    // all, since the program started
extern std::atomic<long> allocatedBytes; // all, since the program started
extern std::atomic<long> nothrowAllocations;
extern std::atomic<long> failingNothrowAllocation; // 0: none fails

// A host that allocates nothing itself, so every counted allocation is the plug-in's.
inline std::intptr_t versionAnswer = 2400;
inline std::intptr_t quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, std::intptr_t,
                               void*, float)
{
    return opcode == 1 ? versionAnswer : 0;
}

} // namespace sweepfilter::test
