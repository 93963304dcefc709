#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "FloatBitsSupport.h"
#include "LowpassBiquad.h"

namespace sweepfilter::test
{
namespace
{

struct CoefficientCase
{
    std::uint32_t cutoffBits, resonanceBits;
    std::uint32_t a1, a2, b0, b1;
};

TEST(LowpassBiquad, CoefficientsHaveTheExactBitPatterns)
{
    const CoefficientCase cases[] = {
        // 1000 Hz, resonance 0
        {0x447A0000, 0x00000000, 0xBFC5703E, 0x3F0EE7BC, 0x3B80E7FE, 0x3C00E7FE},
        // the default program: 20000.078 Hz, resonance 0.7425
        {0x469C4028, 0x3F3E147B, 0x3EEA80FF, 0x3EB1DF3C, 0x3EE7180F, 0x3F67180F},
    };
    for (const auto& c : cases)
    {
        LowpassBiquad filter;
        filter.computeCoefficients(floatFromBits(c.cutoffBits), floatFromBits(c.resonanceBits),
                                   44100.0f);
        const auto& k = filter.coefficients();
        SCOPED_TRACE(c.cutoffBits);
        EXPECT_EQ(bitsOf(k.a1), c.a1);
        EXPECT_EQ(bitsOf(k.a2), c.a2);
        EXPECT_EQ(bitsOf(k.b0), c.b0);
        EXPECT_EQ(bitsOf(k.b1), c.b1);
        EXPECT_EQ(bitsOf(k.b2), c.b0);
    }
}

TEST(LowpassBiquad, ImpulseResponseIsExactAndEndsInTrueZeros)
{
    LowpassBiquad filter;
    filter.computeCoefficients(1000.0f, 0.0f, 44100.0f);
    std::vector<float> out;
    for (int i = 0; i < 6000; ++i)
        out.push_back(filter.processLeft(i == 0 ? 1.0f : 0.0f));

    EXPECT_EQ(bitsOf(out[0]), 0x3B80E7FEu);
    EXPECT_EQ(bitsOf(out[1]), 0x3C645309u);
    EXPECT_EQ(bitsOf(out[2]), 0x3CBE54A9u);
    EXPECT_EQ(bitsOf(out[3]), 0x3CE5DAD4u);
    // A positive tail that decays once past its peak.
    for (int i = 4; i <= 2203; ++i)
        ASSERT_GT(out[i], 0.0f) << i;
    for (int i = 100; i <= 2203; ++i)
        ASSERT_LT(out[i], out[i - 1]) << i;
    // The last normal value; the next would be subnormal and leaves as +0.0.
    EXPECT_EQ(bitsOf(out[2203]), 0x0084541Cu);
    for (std::size_t i = 2204; i < out.size(); ++i)
        ASSERT_EQ(bitsOf(out[i]), 0u) << i;
}

TEST(LowpassBiquad, ConstantInputSettlesAtExactlyOne)
{
    LowpassBiquad filter;
    filter.computeCoefficients(1000.0f, 0.0f, 44100.0f);
    float y = 0.0f;
    for (int i = 0; i < 20000; ++i)
        y = filter.processLeft(1.0f);
    EXPECT_EQ(y, 1.0f);
}

TEST(LowpassBiquad, FlushesOutputsButKeepsInputsUnchanged)
{
    LowpassBiquad filter;
    // Positive a1 makes an all -0.0 history produce -0.0, which must leave as +0.0.
    filter.computeCoefficients(floatFromBits(0x469C4028), floatFromBits(0x3F3E147B), 44100.0f);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(bitsOf(filter.processLeft(-0.0f)), 0u);
        EXPECT_EQ(bitsOf(filter.outputHistoryLeft()[0]), 0u);
        EXPECT_EQ(bitsOf(filter.inputHistoryLeft()[0]), 0x80000000u);
    }

    filter.reset();
    filter.computeCoefficients(1000.0f, 0.0f, 44100.0f);
    const float subnormal = floatFromBits(0x00000400);
    EXPECT_EQ(bitsOf(filter.processRight(subnormal)), 0u);
    EXPECT_EQ(bitsOf(filter.inputHistoryRight()[0]), 0x00000400u);
    EXPECT_EQ(bitsOf(filter.outputHistoryRight()[0]), 0u);
    filter.processRight(0.0f);
    EXPECT_EQ(bitsOf(filter.inputHistoryRight()[1]), 0x00000400u);
}

TEST(LowpassBiquad, ChannelsAreIndependent)
{
    LowpassBiquad stereo, leftOnly, rightOnly;
    for (auto* f : {&stereo, &leftOnly, &rightOnly})
        f->computeCoefficients(3000.0f, 0.5f, 44100.0f);
    for (int i = 0; i < 500; ++i)
    {
        const float l = std::sin(0.05f * static_cast<float>(i));
        const float r = i % 7 == 0 ? 1.0f : -0.25f;
        ASSERT_EQ(bitsOf(stereo.processLeft(l)), bitsOf(leftOnly.processLeft(l)));
        ASSERT_EQ(bitsOf(stereo.processRight(r)), bitsOf(rightOnly.processRight(r)));
    }
    EXPECT_EQ(leftOnly.inputHistoryRight(), (LowpassBiquad::History{0.0f, 0.0f}));
    EXPECT_EQ(leftOnly.outputHistoryRight(), (LowpassBiquad::History{0.0f, 0.0f}));
    EXPECT_EQ(rightOnly.outputHistoryLeft(), (LowpassBiquad::History{0.0f, 0.0f}));
}

TEST(LowpassBiquad, ResetKeepsCoefficientsAndRecomputingKeepsHistory)
{
    LowpassBiquad filter;
    filter.computeCoefficients(1000.0f, 0.0f, 44100.0f);
    filter.processLeft(1.0f);
    filter.processLeft(0.5f);
    const auto inputs = filter.inputHistoryLeft();
    const auto outputs = filter.outputHistoryLeft();

    filter.computeCoefficients(5000.0f, 0.9f, 44100.0f);
    EXPECT_EQ(filter.inputHistoryLeft(), inputs);
    EXPECT_EQ(filter.outputHistoryLeft(), outputs);

    const auto coefficients = filter.coefficients();
    filter.reset();
    EXPECT_EQ(bitsOf(filter.coefficients().a1), bitsOf(coefficients.a1));
    EXPECT_EQ(bitsOf(filter.coefficients().b0), bitsOf(coefficients.b0));
    EXPECT_EQ(filter.inputHistoryLeft(), (LowpassBiquad::History{0.0f, 0.0f}));
    EXPECT_EQ(filter.outputHistoryLeft(), (LowpassBiquad::History{0.0f, 0.0f}));
    // After the reset an impulse gives b0 again, as from a fresh filter.
    EXPECT_EQ(bitsOf(filter.processLeft(1.0f)), bitsOf(coefficients.b0));
}

TEST(LowpassBiquad, StaysStableWithCutoffsAboveNyquist)
{
    LowpassBiquad filter;
    std::uint32_t noise = 12345;
    for (float cutoff : {22050.0f, 25000.0f, 30000.0f, 60000.0f})
    {
        filter.computeCoefficients(cutoff, 0.99f, 44100.0f);
        for (int i = 0; i < 20000; ++i)
        {
            noise = noise * 1664525u + 1013904223u;
            const float x = static_cast<float>(noise >> 8) / 8388608.0f - 1.0f;
            ASSERT_TRUE(std::isfinite(filter.processLeft(x))) << cutoff;
        }
    }
}

} // namespace
} // namespace sweepfilter::test
