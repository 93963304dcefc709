#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "FloatBitsSupport.h"
#include "LowpassBiquad.h"
#include "ResonantLowpass.h"
#include "StereoOutput.h"

namespace sweepfilter::test
{
namespace
{

// Signals that go through every path of the filters' steps: ordinary values, zeros of both
// signs, subnormals, huge values that overflow the state, infinities and NaNs, each followed
// by ordinary samples again, and different on the two channels.
std::vector<float> awkwardSignal(std::uint32_t seed, std::size_t frames)
{
    const float specials[] = {0.0f,
                              -0.0f,
                              floatFromBits(0x00000001),
                              floatFromBits(0x807FFFFF),
                              3.0e38f,
                              -3.0e38f,
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    std::vector<float> samples(frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        samples[i] = (seed >> 28) == 0 ? specials[(seed >> 8) % std::size(specials)]
                                       : static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
    }
    return samples;
}

struct Outputs
{
    std::vector<float> left, right;
};

void expectSameBits(const Outputs& block, const Outputs& perSample)
{
    for (std::size_t i = 0; i < block.left.size(); ++i)
    {
        ASSERT_EQ(comparableBits(block.left[i]), comparableBits(perSample.left[i])) << i;
        ASSERT_EQ(comparableBits(block.right[i]), comparableBits(perSample.right[i])) << i;
    }
}

// The block form runs both channels in one register, the per-sample form one channel at a
// time; both are the same step, so every output and the final states must agree.
TEST(BlockForm, SoftFilterEqualsItsPerSampleForm)
{
    const float settings[][2] = {
        {1000.0f, 0.0f}, {20000.078f, 0.7425f}, {104.40182f, 0.98f}, {30000.0f, 0.5f}};
    for (std::uint32_t seed = 1; seed <= 8; ++seed)
        for (auto [cutoff, resonance] : settings)
        {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " cutoff " << cutoff);
            const std::size_t frames = 3000;
            const auto inLeft = awkwardSignal(seed, frames), inRight = awkwardSignal(~seed, frames);
            LowpassBiquad block, perSample;
            block.computeCoefficients(cutoff, resonance, 44100.0f);
            perSample.computeCoefficients(cutoff, resonance, 44100.0f);
            Outputs fromBlock{std::vector<float>(frames), std::vector<float>(frames)};
            Outputs fromSamples = fromBlock;
            // A NaN stays in this filter's history until a reset, so both restart every 150
            // frames; within each chunk the block form runs as two blocks, so that the state
            // also passes through the object between them.
            for (std::size_t start = 0; start < frames; start += 150)
            {
                block.reset();
                perSample.reset();
                block.processBlock(
                    inLeft.data() + start, inRight.data() + start, 50,
                    StoreOutput{fromBlock.left.data() + start, fromBlock.right.data() + start});
                block.processBlock(inLeft.data() + start + 50, inRight.data() + start + 50, 100,
                                   StoreOutput{fromBlock.left.data() + start + 50,
                                               fromBlock.right.data() + start + 50});
                for (std::size_t i = start; i < start + 150; ++i)
                {
                    fromSamples.left[i] = perSample.processLeft(inLeft[i]);
                    fromSamples.right[i] = perSample.processRight(inRight[i]);
                }
            }
            expectSameBits(fromBlock, fromSamples);
            for (std::size_t k = 0; k < 2; ++k)
            {
                EXPECT_EQ(comparableBits(block.outputHistoryLeft()[k]),
                          comparableBits(perSample.outputHistoryLeft()[k]));
                EXPECT_EQ(comparableBits(block.outputHistoryRight()[k]),
                          comparableBits(perSample.outputHistoryRight()[k]));
            }
        }
}

TEST(BlockForm, HardFilterEqualsItsPerSampleForm)
{
    const float settings[][2] = {
        {0.05f, 0.0f}, {0.3f, 0.891f}, {0.9f, 0.99f}, {1.0000039f, 0.7425f}, {0.0f, 0.5f}};
    for (std::uint32_t seed = 1; seed <= 8; ++seed)
        for (auto [f, resonance] : settings)
        {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " f " << f);
            const std::size_t frames = 3000;
            const auto inLeft = awkwardSignal(seed, frames), inRight = awkwardSignal(~seed, frames);
            ResonantLowpass block, perSample;
            block.setFeedback(f, resonance);
            perSample.setFeedback(f, resonance);
            Outputs fromBlock{std::vector<float>(frames), std::vector<float>(frames)};
            Outputs fromSamples = fromBlock;
            block.processBlock(inLeft.data(), inRight.data(), 1000, f,
                               StoreOutput{fromBlock.left.data(), fromBlock.right.data()});
            block.processBlock(
                inLeft.data() + 1000, inRight.data() + 1000, 2000, f,
                StoreOutput{fromBlock.left.data() + 1000, fromBlock.right.data() + 1000});
            for (std::size_t i = 0; i < frames; ++i)
            {
                fromSamples.left[i] = perSample.processLeft(inLeft[i], f);
                fromSamples.right[i] = perSample.processRight(inRight[i], f);
            }
            expectSameBits(fromBlock, fromSamples);
            EXPECT_EQ(comparableBits(block.stage1Left()), comparableBits(perSample.stage1Left()));
            EXPECT_EQ(comparableBits(block.stage1Right()), comparableBits(perSample.stage1Right()));
        }
}

} // namespace
} // namespace sweepfilter::test
