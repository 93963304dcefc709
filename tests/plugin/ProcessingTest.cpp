#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "PluginHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

using Settings = std::vector<std::pair<int, float>>;

// Configurations that exercise every branch of the processing loop.
const std::pair<const char*, Settings> configurations[] = {
    {"soft", {{0, 0.6f}, {1, 0.9f}}},
    {"soft sweep send",
     {{0, 0.7f}, {1, 0.5f}, {3, 0.4f}, {4, 1.0f}, {5, 0.0f}, {6, 0.5f}, {7, 0.3f}}},
    {"hard", {{0, 0.5f}, {1, 0.8f}, {2, 1.0f}}},
    {"hard sweep send",
     {{0, 0.8f}, {1, 0.6f}, {2, 1.0f}, {3, 0.7f}, {4, 0.9f}, {5, 0.1f}, {6, 0.25f}, {7, 0.05f}}},
};

struct ProcessingTest : ::testing::Test
{
    PluginLibrary library;

    std::unique_ptr<HostedEffect> makeEffect(const Settings& settings)
    {
        auto effect = std::make_unique<HostedEffect>(library);
        effect->resume();
        for (auto [index, value] : settings)
            effect->setParameter(index, value);
        return effect;
    }
};

StereoSignal testSignal(std::size_t frames)
{
    return StereoSignal(noise(frames, 11), chord(frames));
}

void expectSameBits(const std::vector<float>& actual, const std::vector<float>& expected,
                    const char* what)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint32_t>(actual[i]),
                  std::bit_cast<std::uint32_t>(expected[i]))
            << what << " frame " << i;
}

TEST_F(ProcessingTest, InPlaceProcessingMatchesSeparateBuffers)
{
    for (const auto& [name, settings] : configurations)
    {
        SCOPED_TRACE(name);
        auto separate = makeEffect(settings), inPlace = makeEffect(settings),
             crossed = makeEffect(settings);
        StereoSignal input = testSignal(3000), output(3000), aliased = input, swapped = input;
        separate->processReplace(input.buffers(), output.buffers(), 3000);
        inPlace->processReplace(aliased.buffers(), aliased.buffers(), 3000);
        // Outputs aliasing the other channel's input.
        float* const crossedOut[2] = {swapped.right.data(), swapped.left.data()};
        crossed->processReplace(swapped.buffers(), crossedOut, 3000);
        expectSameBits(aliased.left, output.left, "in place, left");
        expectSameBits(aliased.right, output.right, "in place, right");
        expectSameBits(swapped.right, output.left, "crossed, left");
        expectSameBits(swapped.left, output.right, "crossed, right");
    }
}

TEST_F(ProcessingTest, BlockSplitsDoNotChangeTheOutput)
{
    for (const auto& [name, settings] : configurations)
    {
        SCOPED_TRACE(name);
        auto whole = makeEffect(settings), split = makeEffect(settings);
        StereoSignal input = testSignal(20000), expected(20000), actual(20000);
        whole->processReplace(input.buffers(), expected.buffers(), 20000);
        std::uint32_t seed = 3;
        for (std::size_t done = 0; done < 20000;)
        {
            seed = seed * 1664525u + 1013904223u;
            const std::size_t block = std::min<std::size_t>(1 + (seed >> 20) % 700, 20000 - done);
            split->processReplace(input.buffers(done), actual.buffers(done),
                                  static_cast<std::int32_t>(block));
            done += block;
        }
        expectSameBits(actual.left, expected.left, "left");
        expectSameBits(actual.right, expected.right, "right");
    }
}

TEST_F(ProcessingTest, EmptyFrameCountsAndMissingBuffersTouchNothing)
{
    const Settings& settings = configurations[3].second;
    auto effect = makeEffect(settings), untouched = makeEffect(settings);
    StereoSignal input = testSignal(64), output(64, 0.5f);
    float* const missingChannel[2] = {output.left.data(), nullptr};
    for (std::int32_t frames : {0, -1, -1000})
        effect->processReplace(input.buffers(), output.buffers(), frames);
    effect->processAccumulate(input.buffers(), output.buffers(), 0);
    effect->processReplace(nullptr, output.buffers(), 64);
    effect->processReplace(input.buffers(), nullptr, 64);
    effect->processAccumulate(input.buffers(), missingChannel, 64);
    EXPECT_EQ(output.left, std::vector<float>(64, 0.5f));
    EXPECT_EQ(output.right, std::vector<float>(64, 0.5f));

    // Nothing moved inside either: the effect still matches one that was never called.
    StereoSignal a(64), b(64);
    effect->processReplace(input.buffers(), a.buffers(), 64);
    untouched->processReplace(input.buffers(), b.buffers(), 64);
    expectSameBits(a.left, b.left, "left");
}

TEST_F(ProcessingTest, AccumulateAddsAndReplaceOverwrites)
{
    for (const auto& [name, settings] : configurations)
    {
        SCOPED_TRACE(name);
        auto replacing = makeEffect(settings), accumulating = makeEffect(settings);
        StereoSignal input = testSignal(2000), replaced(2000, 0.25f), accumulated(2000, 0.25f);
        replacing->processReplace(input.buffers(), replaced.buffers(), 2000);
        accumulating->processAccumulate(input.buffers(), accumulated.buffers(), 2000);
        for (std::size_t i = 0; i < 2000; ++i)
        {
            ASSERT_EQ(accumulated.left[i], static_cast<float>(double{replaced.left[i]} + 0.25))
                << i;
            ASSERT_EQ(accumulated.right[i], static_cast<float>(double{replaced.right[i]} + 0.25))
                << i;
        }
    }
}

TEST_F(ProcessingTest, SweepStepsFallOnThe101stSampleAndEvery100After)
{
    // Soft: the first step reads the centre, so the output first differs on the 201st sample.
    auto plain = makeEffect({{0, 0.6f}}),
         swept = makeEffect({{0, 0.6f}, {3, 1.0f}, {4, 1.0f}, {5, 0.0f}});
    StereoSignal input = testSignal(400), a(400), b(400);
    plain->processReplace(input.buffers(), a.buffers(), 400);
    swept->processReplace(input.buffers(), b.buffers(), 400);
    for (std::size_t i = 0; i < 200; ++i)
        ASSERT_EQ(a.left[i], b.left[i]) << i;
    EXPECT_NE(a.left[200], b.left[200]);

    // Hard: the swept cutoff of a new effect is 0 (the states hold) until the 101st sample.
    auto hard = makeEffect({{2, 1.0f}, {3, 0.5f}});
    StereoSignal ones(300, 1.0f), out(300);
    hard->processReplace(ones.buffers(), out.buffers(), 300);
    for (std::size_t i = 0; i < 100; ++i)
        ASSERT_EQ(out.left[i], 0.0f) << i;
    EXPECT_NE(out.left[100], 0.0f);
}

TEST_F(ProcessingTest, SendAddsTheScaledDelayedInput)
{
    auto dry = makeEffect({{0, 0.5f}}), wet = makeEffect({{0, 0.5f}, {6, 0.5f}, {7, 0.0f}});
    StereoSignal input = testSignal(1000), a(1000), b(1000);
    dry->processReplace(input.buffers(), a.buffers(), 1000);
    wet->processReplace(input.buffers(), b.buffers(), 1000);
    for (std::size_t i = 0; i < 1000; ++i)
    {
        ASSERT_EQ(b.left[i], static_cast<float>(double{input.left[i]} * 0.5 + a.left[i])) << i;
        ASSERT_EQ(b.right[i], static_cast<float>(double{input.right[i]} * 0.5 + a.right[i])) << i;
    }
}

TEST_F(ProcessingTest, SuspendAndResumeClearTheSoftFilterAndLineButNotTheHardFilter)
{
    const Settings soft = {{0, 0.4f}, {1, 0.9f}, {6, 0.7f}, {7, 0.5f}};
    const Settings hard = {{0, 0.4f}, {1, 0.9f}, {2, 1.0f}};
    for (bool useSuspend : {true, false})
    {
        auto softUsed = makeEffect(soft), softFresh = makeEffect(soft);
        auto hardUsed = makeEffect(hard), hardTwin = makeEffect(hard);
        StereoSignal warmUp = testSignal(5000), scratch(5000);
        softUsed->processReplace(warmUp.buffers(), scratch.buffers(), 5000);
        hardUsed->processReplace(warmUp.buffers(), scratch.buffers(), 5000);
        hardTwin->processReplace(warmUp.buffers(), scratch.buffers(), 5000);
        useSuspend ? softUsed->suspend() : softUsed->resume();
        useSuspend ? hardUsed->suspend() : hardUsed->resume();

        StereoSignal input(StereoSignal(noise(500, 4), noise(500, 5))), a(500), b(500);
        softUsed->processReplace(input.buffers(), a.buffers(), 500);
        softFresh->processReplace(input.buffers(), b.buffers(), 500);
        expectSameBits(a.left, b.left, "soft starts from silence");
        hardUsed->processReplace(input.buffers(), a.buffers(), 500);
        hardTwin->processReplace(input.buffers(), b.buffers(), 500);
        expectSameBits(a.left, b.left, "hard runs on");
    }
}

} // namespace
} // namespace sweepfilter::test
