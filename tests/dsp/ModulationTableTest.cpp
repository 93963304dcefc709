#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "FloatBitsSupport.h"
#include "ModulationTable.h"

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
        {0.0f, 42336}, {-0.0f, 42336}, {nan, 42336}, // replaced by 1e-5, then clamped
        {1.0e-9f, 42336},  // a quotient beyond 32 bits is clamped too
        {1000.0f, 0}, {inf, 0}, {-2.0f, 0}, {-inf, 0},
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

} // namespace
} // namespace sweepfilter::test
