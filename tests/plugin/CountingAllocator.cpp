#include "CountingAllocator.h"

#include <cstdlib>
#include <new>

namespace sweepfilter::test
{
std::atomic<long> liveAllocations{0};
std::atomic<long> allocations{0};
std::atomic<long> allocatedBytes{0};
std::atomic<long> nothrowAllocations{0};
std::atomic<long> failingNothrowAllocation{0};
} // namespace sweepfilter::test

namespace
{
using namespace sweepfilter::test;

void* allocate(std::size_t size) noexcept
{
    void* memory = std::malloc(size ? size : 1);
    if (memory)
    {
        ++liveAllocations;
        ++allocations;
        allocatedBytes += static_cast<long>(size);
    }
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
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateOrFail(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateOrFail(size);
}
void operator delete(void* memory) noexcept
{
    release(memory);
}
void operator delete[](void* memory) noexcept
{
    release(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    release(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    release(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    release(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    release(memory);
}
