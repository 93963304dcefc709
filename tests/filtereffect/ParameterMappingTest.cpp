#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "FloatBitsSupport.h"
#include "ParameterMapping.h"

namespace sweepfilter::test
{
namespace
{

TEST(ParameterMapping, CutoffAtBothEndsAndTheMiddle)
{
    EXPECT_EQ(mapping::cutoffHz(0.0f), 104.40182f);
    EXPECT_EQ(mapping::cutoffHz(0.5f), 2538.8591f);
    EXPECT_EQ(mapping::cutoffHz(1.0f), 20000.078f);
    EXPECT_EQ(bitsOf(mapping::cutoffHz(1.0f)), 0x469C4028u);
    EXPECT_EQ(bitsOf(mapping::normalisedCutoff(mapping::cutoffHz(1.0f))), 0x3F800021u);
    EXPECT_EQ(bitsOf(mapping::resonance(0.75f)), 0x3F3E147Bu);
}

TEST(ParameterMapping, AlgorithmThreshold)
{
    EXPECT_FALSE(mapping::selectsHardAlgorithm(0.0f));
    EXPECT_FALSE(mapping::selectsHardAlgorithm(0.4999f));
    EXPECT_FALSE(mapping::selectsHardAlgorithm(-1.0f));
    EXPECT_TRUE(mapping::selectsHardAlgorithm(0.5f));
    EXPECT_TRUE(mapping::selectsHardAlgorithm(1.0f));
}

TEST(ParameterMapping, ResolutionStepsAtEveryBoundary)
{
    const double q = floatFromBits(0x3D9D89D9); // the float nearest 1/13
    const std::uint32_t notes[] = {1, 2, 3, 4, 5, 6, 7, 8, 16, 32, 48, 64, 96};
    for (int k = 1; k <= 12; ++k)
    {
        // The smallest float at or above k*q, and the float just below it.
        float at = static_cast<float>(k * q);
        if (at < k * q)
            at = std::nextafter(at, 2.0f);
        const float below = std::nextafter(at, 0.0f);
        std::uint32_t result = 0;
        ASSERT_TRUE(mapping::resolutionNotes(at, result));
        EXPECT_EQ(result, notes[k]) << "at step " << k;
        ASSERT_TRUE(mapping::resolutionNotes(below, result));
        EXPECT_EQ(result, notes[k - 1]) << "below step " << k;
    }
    const std::pair<float, std::uint32_t> cases[] = {
        {0.0f, 1}, {-3.0f, 1}, {floatFromBits(0x3D9D89D9), 2}, {0.8462f, 64}, {1.0f, 96}};
    for (auto [value, expected] : cases)
    {
        std::uint32_t result = 0;
        EXPECT_TRUE(mapping::resolutionNotes(value, result));
        EXPECT_EQ(result, expected) << value;
    }
    for (float unmatched : {1.0001f, 2.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        std::uint32_t result = 7;
        EXPECT_FALSE(mapping::resolutionNotes(unmatched, result));
        EXPECT_EQ(result, 7u) << unmatched;
    }
}

TEST(ParameterMapping, FlangerDelayIsTruncatedWithinTheLine)
{
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, std::int32_t> cases[] = {
        {0.2f, 40},
        {0.0f, 0},
        {0.004f, 0},
        {0.0051f, 1},
        {0.999f, 199},
        {1.0f, 200},
        {5.0f, 200},
        {inf, 200},
        {-0.5f, 0},
        {-inf, 0},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (auto [value, samples] : cases)
        EXPECT_EQ(mapping::flangerDelaySamples(value), samples) << value;
}

} // namespace
} // namespace sweepfilter::test
