#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "PluginHost.h"

// Every allocation of this process, the plug-in's included, goes through these: they count
// live allocations and can make the n-th non-throwing allocation from now on fail.
namespace
{
std::atomic<long> liveAllocations{0};
std::atomic<long> nothrowAllocations{0};
std::atomic<long> failingNothrowAllocation{0}; // 0: none fails

void* allocate(std::size_t size) noexcept
{
    void* memory = std::malloc(size ? size : 1);
    if (memory)
        ++liveAllocations;
    return memory;
}

void* allocateOrFail(std::size_t size) noexcept
{
    const long count = ++nothrowAllocations;
    if (count == failingNothrowAllocation.load())
        return nullptr;
    return allocate(size);
}

void release(void* memory) noexcept
{
    if (memory)
    {
        --liveAllocations;
        std::free(memory);
    }
}
} // namespace

void* operator new(std::size_t size)
{
    if (void* memory = allocate(size))
        return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateOrFail(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateOrFail(size); }
void operator delete(void* memory) noexcept { release(memory); }
void operator delete[](void* memory) noexcept { release(memory); }
void operator delete(void* memory, std::size_t) noexcept { release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { release(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { release(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { release(memory); }

namespace sweepfilter::test
{
namespace
{

// A host that allocates nothing itself, so every counted allocation is the plug-in's.
std::intptr_t versionAnswer = 2400;
std::intptr_t quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == 1 ? versionAnswer : 0;
}

// Counts the allocations one successful `main` makes, and checks the effect frees them all.
long allocationsOfOneEffect(const PluginLibrary& library)
{
    const long liveBefore = liveAllocations.load();
    nothrowAllocations = 0;
    EffectRecord* record = library.callMain(&quietHost);
    const long count = nothrowAllocations.load();
    EXPECT_NE(record, nullptr);
    if (record)
        record->dispatch(record, 1, 0, 0, nullptr, 0.0f);
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
        later->dispatch(later, 1, 0, 0, nullptr, 0.0f);
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
    EXPECT_EQ(count, 9);
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
