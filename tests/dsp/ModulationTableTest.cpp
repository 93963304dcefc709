#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "FloatBitsSupport.h"
#include "ModulationTable.h"
#include "ReferenceModulationTable.h"

namespace sweepfilter::test
{
namespace
{

ModulationTable makeEffectTable(float sampleRate = 44100.0f)
{
    return ModulationTable(100, 96, sampleRate);
}

TEST(ModulationTable, WorkedExampleAt44100)
{
    auto table = makeEffectTable();
    EXPECT_EQ(bitsOf(table.samplePeriod()), 0x37BE37C6u);
    EXPECT_EQ(table.capacity(), 42336u);

    table.rebuild(1000.0f, 2.0f, 2000.0f);
    ASSERT_EQ(table.cycleSteps(), 220u);
    const std::pair<std::uint32_t, std::uint32_t> entries[] = {
        {0, 0x44FA0000},   {1, 0x44FD91CB},   {2, 0x4500916C},   {3, 0x45025933},
        {54, 0x453B797A},  {55, 0x453B8000},  {56, 0x453B797A},  {109, 0x44FD91CB},
        {110, 0x44FA0000}, {111, 0x44F66E35}, {165, 0x447A0000}, {219, 0x44F66E35},
        {220, 0x44FA0000},
    };
    for (auto [index, bits] : entries)
        EXPECT_EQ(bitsOf(table.entry(index)), bits) << index;
}

TEST(ModulationTable, CapacityFollowsTheSampleRate)
{
    const std::pair<float, std::uint32_t> cases[] = {
        {22050.0f, 21168}, {44100.0f, 42336}, {48000.0f, 46080}, {96000.0f, 92160}};
    for (auto [rate, capacity] : cases)
        EXPECT_EQ(makeEffectTable(rate).capacity(), capacity) << rate;
}

TEST(ModulationTable, CycleStepsFromTheRate)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, std::uint32_t> cases[] = {
        {floatFromBits(0x3C2AAAAB), 42336}, // 60 BPM over 96 notes: exactly the capacity
        {floatFromBits(0x40555555), 132},   // 200 BPM over 1 note
        {floatFromBits(0x3D000118), 14111}, // the default tempo over 64 notes: 14111.529
        {300.0f, 1},
        {0.0f, 42336},
        {-0.0f, 42336},
        {nan, 42336},     // replaced by 1e-5, then clamped
        {1.0e-9f, 42336}, // a quotient beyond 32 bits is clamped too
        {1000.0f, 0},
        {inf, 0},
        {-2.0f, 0},
        {-inf, 0},
    };
    for (auto [rate, steps] : cases)
    {
        auto table = makeEffectTable();
        table.rebuild(1000.0f, rate, 2000.0f);
        EXPECT_EQ(table.cycleSteps(), steps) << rate;
    }
}

TEST(ModulationTable, ClampedCycleSpansTheLongestPeriod)
{
    for (float rate : {0.0f, -0.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        auto table = makeEffectTable();
        table.rebuild(1000.0f, rate, 2000.0f);
        EXPECT_EQ(table.entry(0), 2000.0f);
        EXPECT_EQ(table.entry(10584), 3000.0f);
        EXPECT_EQ(bitsOf(table.entry(21168)), 0x44FA0001u);
        EXPECT_EQ(table.entry(31752), 1000.0f);
        EXPECT_EQ(table.entry(42336), 2000.0f);
    }
}

TEST(ModulationTable, DegenerateCyclesHoldTheCentre)
{
    auto table = makeEffectTable();
    for (float rate : {300.0f, 1000.0f, std::numeric_limits<float>::infinity()})
    {
        table.rebuild(1000.0f, rate, 2000.0f);
        for (int i = 0; i < 5; ++i)
            ASSERT_EQ(table.nextValue(), 2000.0f) << rate;
    }
    table.rebuild(0.0f, 2.0f, 1234.0f);
    for (std::uint32_t i = 0; i <= table.cycleSteps(); ++i)
        ASSERT_EQ(table.entry(i), 1234.0f) << i;
}

TEST(ModulationTable, ReadsCycleThroughAllEntriesOnTheStepGrid)
{
    auto table = makeEffectTable();
    table.rebuild(1000.0f, 2.0f, 2000.0f);
    std::uint32_t expectedEntry = 0;
    int steps = 0;
    for (std::uint32_t counter = 0; counter <= 22200; ++counter)
    {
        if (!table.isStepDue(counter))
            continue;
        ASSERT_EQ(counter % 100, 0u);
        ASSERT_EQ(bitsOf(table.nextValue()), bitsOf(table.entry(expectedEntry))) << counter;
        if (counter == 22100)
        {
            EXPECT_EQ(expectedEntry, 220u);
        }
        expectedEntry = expectedEntry == 220 ? 0 : expectedEntry + 1;
        ++steps;
    }
    EXPECT_EQ(steps, 222);
    EXPECT_EQ(expectedEntry, 1u); // entry 0 came once more at counter 22200
}

TEST(ModulationTable, StepTestIsAnEqualityOnTheModularDifference)
{
    auto table = makeEffectTable();
    for (std::uint32_t counter = 0; counter < 100; ++counter)
        ASSERT_FALSE(table.isStepDue(counter)) << counter;
    EXPECT_TRUE(table.isStepDue(100));
    EXPECT_FALSE(table.isStepDue(100));
    EXPECT_FALSE(table.isStepDue(250)); // jumped past: not due
    EXPECT_FALSE(table.isStepDue(300));
    EXPECT_TRUE(table.isStepDue(200));
    EXPECT_EQ(table.lastStepCounter(), 200u);

    table.setLastStepCounter(4294967250u);
    EXPECT_FALSE(table.isStepDue(53));
    EXPECT_TRUE(table.isStepDue(54));
}

TEST(ModulationTable, RebuildRestartsReadingWithoutMovingTheStepTiming)
{
    auto table = makeEffectTable();
    table.rebuild(1000.0f, 2.0f, 2000.0f);
    for (int i = 0; i < 30; ++i)
        table.nextValue();
    ASSERT_TRUE(table.isStepDue(100));
    table.rebuild(500.0f, 4.0f, 3000.0f);
    EXPECT_EQ(table.position(), 0u);
    EXPECT_EQ(table.lastStepCounter(), 100u);
    EXPECT_TRUE(table.isStepDue(200));
    EXPECT_EQ(table.nextValue(), 3000.0f);
    EXPECT_EQ(table.position(), 1u);
}

struct Random
{
    std::uint32_t state;
    std::uint32_t next() { return state = state * 1664525u + 1013904223u; }
    std::uint32_t below(std::uint32_t n) { return (next() >> 8) % n; }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
    template <std::size_t N>
    float pick(const float (&values)[N])
    {
        return values[below(N)];
    }
};

// Every value the table computes on reading must be the one the plainly filled table holds.
void expectSameEntries(const ModulationTable& fast, const ReferenceModulationTable& plain,
                       Random& random)
{
    const std::uint32_t n = plain.cycleSteps();
    ASSERT_EQ(fast.cycleSteps(), n);
    const auto check = [&](std::uint32_t i) {
        ASSERT_EQ(comparableBits(fast.entry(i)), comparableBits(plain.entry(i)))
            << "entry " << i << " of " << n;
    };
    if (n <= 3000)
    {
        for (std::uint32_t i = 0; i <= n; ++i)
            check(i);
        return;
    }
    for (std::uint32_t i : {0u, 1u, n / 2 - 1, n / 2, n / 2 + 1, n - 1, n})
        check(i);
    for (int k = 0; k < 300; ++k)
        check(random.below(n + 1));
}

// Randomized sessions against the plainly filled table: rebuilds with zero, negative zero,
// NaN, infinite, negative, tiny and huge rates (n = 0, 1, even, odd, clamped to the
// capacity), amplitudes and centres of every kind, rebuilds in mid-cycle, counters that step,
// creep and jump, across the 2^32 wrap. Reads must return the same bits in the same order.
TEST(ModulationTable, HandsOutThePlainTablesValuesInTheSameOrder)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float tiny = floatFromBits(0x00000001);
    const float rates[] = {0.0f,
                           -0.0f,
                           nan,
                           inf,
                           -inf,
                           -2.0f,
                           tiny,
                           1.0e-9f,
                           1.03e-7f,
                           1.04e-7f,
                           1.0e-5f,
                           floatFromBits(0x3C2AAAAB),
                           floatFromBits(0x3D000118),
                           2.0f,
                           1.99097f,
                           176.4f,
                           126.0f,
                           300.0f,
                           441.0f,
                           1000.0f,
                           3.0e38f};
    const float amplitudes[] = {0.0f, -0.0f, 1000.0f, -300.0f, 4.4018f, 1.0e30f, inf, nan, tiny};
    const float centres[] = {2000.0f, 104.40182f, 20000.078f, 0.0f, -0.0f, nan, inf, -5.0f};
    struct Shape
    {
        std::uint32_t stepInterval, maxPeriodSeconds;
        float sampleRate;
    };
    const Shape shapes[] = {{100, 96, 44100.0f}, {100, 96, 48000.0f}, {100, 96, 22050.0f},
                            {100, 96, 96000.0f}, {100, 1, 44100.0f},  {1, 1, 8000.0f},
                            {37, 3, 44100.0f}};
    std::uint32_t seed = 1;
    for (const Shape& shape : shapes)
        for (int session = 0; session < 3; ++session, ++seed)
        {
            SCOPED_TRACE(testing::Message()
                         << "shape " << shape.stepInterval << "/" << shape.maxPeriodSeconds << "/"
                         << shape.sampleRate << " session " << session);
            Random random{seed * 2654435761u};
            ModulationTable fast(shape.stepInterval, shape.maxPeriodSeconds, shape.sampleRate);
            ReferenceModulationTable plain(shape.stepInterval, shape.maxPeriodSeconds,
                                           shape.sampleRate);
            ASSERT_EQ(fast.capacity(), plain.capacity());
            // Some sessions start just below the counter's wrap.
            std::uint32_t counter = session == 1 ? 0u - 1000u - random.below(5000) : 0u;
            fast.setLastStepCounter(counter);
            plain.setLastStepCounter(counter);
            // The last session rebuilds every few steps, as automation of Tempo does.
            const std::uint32_t rebuildsPerMille = session == 2 ? 150 : 8;
            for (int operation = 0; operation < 20000; ++operation)
            {
                const std::uint32_t choice = random.below(1000);
                if (operation == 0 || choice < rebuildsPerMille)
                {
                    const float amplitude =
                        random.below(4) == 0 ? random.pick(amplitudes) : random.unit() * 5000.0f;
                    const float rate =
                        random.below(3) == 0 ? random.unit() * 4.0f : random.pick(rates);
                    const float centre = random.below(4) == 0 ? random.pick(centres)
                                                              : 104.0f + random.unit() * 19900.0f;
                    fast.rebuild(amplitude, rate, centre);
                    plain.rebuild(amplitude, rate, centre);
                    expectSameEntries(fast, plain, random);
                    continue;
                }
                if (choice < 900)
                    counter = plain.lastStepCounter() + shape.stepInterval; // the next step
                else if (choice < 980)
                    counter += 1;
                else
                    counter += random.next(); // a jump off the grid
                const bool due = plain.isStepDue(counter);
                ASSERT_EQ(fast.isStepDue(counter), due) << counter;
                if (due || choice == 999)
                {
                    ASSERT_EQ(comparableBits(fast.nextValue()), comparableBits(plain.nextValue()))
                        << "operation " << operation << " position " << plain.position();
                }
                ASSERT_EQ(fast.position(), plain.position());
                ASSERT_EQ(fast.lastStepCounter(), plain.lastStepCounter());
            }
        }
}

} // namespace
} // namespace sweepfilter::test
