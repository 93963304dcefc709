#include "RealtimeWatch.h"

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>
#include <time.h>
#include <unistd.h>

#include <cstddef>

namespace sweepfilter::test
{
std::atomic<bool> RealtimeWatch::watching{false};
std::atomic<long> RealtimeWatch::allocations{0};
std::atomic<long> RealtimeWatch::locks{0};
std::atomic<long> RealtimeWatch::sleeps{0};
std::atomic<long> RealtimeWatch::failingAllocation{0};
} // namespace sweepfilter::test

using sweepfilter::test::RealtimeWatch;

extern "C"
{
    void* __libc_malloc(std::size_t);
    void* __libc_calloc(std::size_t, std::size_t);
    void* __libc_realloc(void*, std::size_t);
    void* __libc_memalign(std::size_t, std::size_t);
    void __libc_free(void*);
}

namespace
{

// False when this allocation is the one asked to fail.
bool allocationGoesAhead()
{
    if (RealtimeWatch::watching)
        ++RealtimeWatch::allocations;
    long expected = RealtimeWatch::failingAllocation.load();
    while (expected > 0 &&
           !RealtimeWatch::failingAllocation.compare_exchange_weak(expected, expected - 1))
        ;
    return expected != 1;
}

void countLock()
{
    if (RealtimeWatch::watching)
        ++RealtimeWatch::locks;
}

void countSleep()
{
    if (RealtimeWatch::watching)
        ++RealtimeWatch::sleeps;
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C"
{
    void* malloc(std::size_t size)
    {
        return allocationGoesAhead() ? __libc_malloc(size) : nullptr;
    }
    void* calloc(std::size_t count, std::size_t size)
    {
        return allocationGoesAhead() ? __libc_calloc(count, size) : nullptr;
    }
    void* realloc(void* memory, std::size_t size)
    {
        return allocationGoesAhead() ? __libc_realloc(memory, size) : nullptr;
    }
    void* aligned_alloc(std::size_t alignment, std::size_t size)
    {
        return allocationGoesAhead() ? __libc_memalign(alignment, size) : nullptr;
    }
    void free(void* memory)
    {
        if (memory && RealtimeWatch::watching)
            ++RealtimeWatch::allocations;
        __libc_free(memory);
    }

    int pthread_mutex_lock(pthread_mutex_t* mutex)
    {
        static const auto real = next<int (*)(pthread_mutex_t*)>("pthread_mutex_lock");
        countLock();
        return real(mutex);
    }
    int pthread_rwlock_rdlock(pthread_rwlock_t* lock)
    {
        static const auto real = next<int (*)(pthread_rwlock_t*)>("pthread_rwlock_rdlock");
        countLock();
        return real(lock);
    }
    int pthread_rwlock_wrlock(pthread_rwlock_t* lock)
    {
        static const auto real = next<int (*)(pthread_rwlock_t*)>("pthread_rwlock_wrlock");
        countLock();
        return real(lock);
    }
    int sem_wait(sem_t* semaphore)
    {
        static const auto real = next<int (*)(sem_t*)>("sem_wait");
        countLock();
        return real(semaphore);
    }
    int nanosleep(const struct timespec* duration, struct timespec* remaining)
    {
        static const auto real =
            next<int (*)(const struct timespec*, struct timespec*)>("nanosleep");
        countSleep();
        return real(duration, remaining);
    }
    int clock_nanosleep(clockid_t clock, int flags, const struct timespec* duration,
                        struct timespec* remaining)
    {
        static const auto real =
            next<int (*)(clockid_t, int, const struct timespec*, struct timespec*)>(
                "clock_nanosleep");
        countSleep();
        return real(clock, flags, duration, remaining);
    }
    int usleep(useconds_t microseconds)
    {
        static const auto real = next<int (*)(useconds_t)>("usleep");
        countSleep();
        return real(microseconds);
    }
    unsigned sleep(unsigned seconds)
    {
        static const auto real = next<unsigned (*)(unsigned)>("sleep");
        countSleep();
        return real(seconds);
    }
    int sched_yield()
    {
        static const auto real = next<int (*)()>("sched_yield");
        countSleep();
        return real();
    }
}
