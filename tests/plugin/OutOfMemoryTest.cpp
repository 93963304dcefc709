#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "CountingAllocator.h"
#include "PluginHost.h"

namespace sweepfilter::test
{
namespace
{

// Counts the allocations one successful `main` makes, and checks the effect frees them all.
long allocationsOfOneEffect(const PluginLibrary& library)
{
    const long liveBefore = liveAllocations.load();
    nothrowAllocations = 0;
    EffectRecord* record = library.callMain(&quietHost);
    const long count = nothrowAllocations.load();
    EXPECT_NE(record, nullptr);
    if (record)
        record->dispatch(record, opcode::close, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(liveAllocations.load(), liveBefore);
    return count;
}

// In a child process: makes allocation `failing` of `main` fail, checks that `main` returns
// null and leaks nothing, then what a later `main` returns. Exits 0 when all held.
void failOneAllocation(long failing)
{
    PluginLibrary library;
    const long liveBefore = liveAllocations.load();
    nothrowAllocations = 0;
    failingNothrowAllocation = failing;
    EffectRecord* failed = library.callMain(&quietHost);
    failingNothrowAllocation = 0;
    if (failed != nullptr || liveAllocations.load() != liveBefore)
    {
        std::fprintf(stderr, "allocation %ld: main returned %p, %ld allocations leaked\n", failing,
                     static_cast<void*>(failed), liveAllocations.load() - liveBefore);
        std::exit(1);
    }
    // Without memory for the effect object nothing was constructed, and the next host call
    // succeeds; a failure inside the construction raises the module's flag for good.
    EffectRecord* later = library.callMain(&quietHost);
    const bool expectEffect = failing == 1;
    if ((later != nullptr) != expectEffect)
    {
        std::fprintf(stderr, "allocation %ld: a later main returned %p\n", failing,
                     static_cast<void*>(later));
        std::exit(1);
    }
    if (later)
        later->dispatch(later, opcode::close, 0, 0, nullptr, 0.0f);
    std::exit(0);
}

TEST(OutOfMemory, EveryFailedAllocationGivesNullWithoutLeaks)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    long count = 0;
    {
        PluginLibrary library;
        count = allocationsOfOneEffect(library);
    }
    // The effect object, its four units, their buffers and the program bank.
    EXPECT_EQ(count, 8);
    for (long failing = 1; failing <= count; ++failing)
        EXPECT_EXIT(failOneAllocation(failing), ::testing::ExitedWithCode(0), "")
            << "allocation " << failing;
}

TEST(OutOfMemory, RefusedVersionCreatesNothing)
{
    PluginLibrary library;
    versionAnswer = 0;
    const long liveBefore = liveAllocations.load();
    nothrowAllocations = 0;
    EXPECT_EQ(library.callMain(&quietHost), nullptr);
    EXPECT_EQ(nothrowAllocations.load(), 0);
    EXPECT_EQ(liveAllocations.load(), liveBefore);
    versionAnswer = 2400;
}

} // namespace
} // namespace sweepfilter::test
