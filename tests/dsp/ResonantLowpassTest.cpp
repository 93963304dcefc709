#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "FloatBitsSupport.h"
#include "ResonantLowpass.h"

namespace sweepfilter::test
{
namespace
{

TEST(ResonantLowpass, FourSampleExampleIsExact)
{
    ResonantLowpass filter;
    filter.setFeedback(0.5f, 0.5f);
    ASSERT_EQ(filter.feedback(), 1.5f);
    const float inputs[] = {1.0f, 1.0f, 1.0f, 0.0f};
    const float outputs[] = {0.25f, 0.59375f, 0.91015625f, 0.88037109375f};
    const float firstStages[] = {0.5f, 0.9375f, 1.2265625f, 0.8505859375f};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(filter.processLeft(inputs[i], 0.5f), outputs[i]) << i;
        EXPECT_EQ(filter.stage1Left(), firstStages[i]) << i;
        EXPECT_EQ(filter.stage2Left(), outputs[i]) << i;
    }
}

TEST(ResonantLowpass, FeedbackHasTheExactBitPatterns)
{
    struct Case
    {
        std::uint32_t cutoffBits, resonanceBits, feedbackBits;
    };
    const Case cases[] = {
        {0x3F800021, 0x3F3E147B, 0xC83851BC}, // the default program: -188742.94
        {0x3F7FBE77, 0x3F7D70A4, 0x4477C02D}, // 0.999, 0.99: 991.00275
        {0x3FA00000, 0x3F7D70A4, 0xC03E147B}, // 1.25, 0.99: -2.97
        {0x3E99999A, 0x00000000, 0x00000000}, // q = 0 gives +0.0 below 1 ...
        {0x3FC00000, 0x00000000, 0x00000000}, // ... and above 1
        {0x3F800000, 0x3F000000, 0x00000000}, // f = 1 exactly: no division by zero
        {0x3F800000, 0x00000000, 0x00000000},
    };
    for (const auto& c : cases)
    {
        ResonantLowpass filter;
        filter.setFeedback(floatFromBits(c.cutoffBits), floatFromBits(c.resonanceBits));
        EXPECT_EQ(bitsOf(filter.feedback()), c.feedbackBits) << std::hex << c.cutoffBits;
    }
}

TEST(ResonantLowpass, DefaultProgramStaysBoundedOnFullScaleInput)
{
    ResonantLowpass filter;
    const float f = floatFromBits(0x3F800021);
    filter.setFeedback(f, floatFromBits(0x3F3E147B));
    std::uint32_t noise = 99;
    float peak = 0.0f;
    for (int i = 0; i < 1'000'000; ++i)
    {
        noise = noise * 1664525u + 1013904223u;
        const float square = (i / 50) % 2 == 0 ? 1.0f : -1.0f;
        const float x = i < 500'000 ? square : ((noise >> 31) != 0 ? 1.0f : -1.0f);
        const float l = filter.processLeft(x, f);
        const float r = filter.processRight(-x, f);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << i;
        peak = std::max({peak, std::fabs(l), std::fabs(r)});
    }
    EXPECT_LT(peak, 8.0f); // about 5.2 in practice
}

TEST(ResonantLowpass, ZeroCutoffHoldsTheStates)
{
    ResonantLowpass filter;
    filter.setFeedback(0.5f, 0.5f);
    filter.processLeft(1.0f, 0.5f);
    const float s1 = filter.stage1Left(), s2 = filter.stage2Left();
    for (float x : {0.0f, 1.0f, -7.0f})
    {
        EXPECT_EQ(filter.processLeft(x, 0.0f), s2);
        EXPECT_EQ(filter.stage1Left(), s1);
    }
}

TEST(ResonantLowpass, ConstantInputSettlesAtTheInput)
{
    ResonantLowpass filter;
    filter.setFeedback(0.5f, 0.5f);
    float y = 0.0f;
    for (int i = 0; i < 1000; ++i)
        y = filter.processLeft(1.0f, 0.5f);
    EXPECT_EQ(y, 1.0f);
    EXPECT_EQ(filter.stage1Left(), 1.0f);
}

TEST(ResonantLowpass, ChannelsAreIndependentAndFeedbackKeepsStates)
{
    ResonantLowpass filter;
    filter.setFeedback(0.3f, 0.8f);
    filter.processLeft(1.0f, 0.3f);
    EXPECT_EQ(filter.stage1Right(), 0.0f);
    EXPECT_EQ(filter.stage2Right(), 0.0f);
    const float s1 = filter.stage1Left(), s2 = filter.stage2Left();
    filter.processRight(1.0f, 0.3f);
    filter.setFeedback(0.9f, 0.2f);
    EXPECT_EQ(filter.stage1Left(), s1);
    EXPECT_EQ(filter.stage2Left(), s2);
}

TEST(ResonantLowpass, RecoversFromNonFiniteStates)
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float badInputs[] = {inf, -inf, std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::max()};
    for (float bad : badInputs)
    {
        ResonantLowpass filter;
        filter.setFeedback(floatFromBits(0x3F7FBE77), floatFromBits(0x3F7D70A4));
        const float f = floatFromBits(0x3F7FBE77);
        filter.processLeft(0.5f, f);
        float y = 0.0f;
        // FLT_MAX overflows after a few samples of resonance; the others at once.
        for (int i = 0; i < 8 && !(y == 0.0f && filter.stage1Left() == 0.0f); ++i)
            y = filter.processLeft(bad, f);
        EXPECT_EQ(bitsOf(y), 0u) << bad;
        EXPECT_EQ(bitsOf(filter.stage1Left()), 0u) << bad;
        EXPECT_EQ(bitsOf(filter.stage2Left()), 0u) << bad;
        for (int i = 0; i < 100; ++i)
            ASSERT_TRUE(std::isfinite(filter.processLeft(0.25f, f))) << bad;
        EXPECT_NE(filter.stage2Left(), 0.0f);
    }
}

} // namespace
} // namespace sweepfilter::test
