#include <gtest/gtest.h>

#include <cstdio>

#include "CountingAllocator.h"
#include "PluginHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

// Processing runs on the host's audio thread: it must never allocate, whatever the
// configuration, block size or entry.
TEST(Allocation, ProcessingAllocatesNothing)
{
    PluginLibrary library;
    EffectRecord* record = library.callMain(&quietHost);
    ASSERT_NE(record, nullptr);
    const std::pair<int, float> settings[] = {{0, 0.5f}, {1, 0.9f}, {3, 0.6f}, {4, 1.0f},
                                              {5, 0.0f}, {6, 0.5f}, {7, 0.4f}};
    for (auto [index, value] : settings)
        record->setParameter(record, index, value);
    std::vector<float> left = noise(4096, 1), right = noise(4096, 2), outLeft(4096), outRight(4096);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};

    const long before = allocations.load();
    for (int round = 0; round < 400; ++round)
    {
        record->setParameter(record, 2, round % 2 ? 1.0f : 0.0f); // both algorithms
        const std::int32_t frames = 1 + (round * 997) % 4096;
        if (round % 3 == 0)
            record->processAccumulate(record, inputs, outputs, frames);
        else
            record->processReplace(record, inputs, round % 5 ? outputs : inputs, frames);
        record->setParameter(record, 2, 0.0f);
    }
    EXPECT_EQ(allocations.load(), before);
    record->dispatch(record, opcode::close, 0, 0, nullptr, 0.0f);
}

// Everything an effect holds, measured as what `main` allocates: a few kilobytes, most of it
// the delay line and the program bank.
TEST(Allocation, AnEffectTakesAtMost8KiB)
{
    PluginLibrary library;
    const long before = allocatedBytes.load();
    EffectRecord* record = library.callMain(&quietHost);
    ASSERT_NE(record, nullptr);
    const long bytes = allocatedBytes.load() - before;
    std::printf("memory per effect: %ld bytes (%.1f KiB)\n", bytes,
                static_cast<double>(bytes) / 1024.0);
    RecordProperty("bytes_per_effect", static_cast<int>(bytes));
    EXPECT_LE(bytes, 8 * 1024);
    record->dispatch(record, opcode::close, 0, 0, nullptr, 0.0f);
}

} // namespace
} // namespace sweepfilter::test
