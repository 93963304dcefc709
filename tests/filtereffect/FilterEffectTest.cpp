#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "FloatBitsSupport.h"
#include "OwnedEffect.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

void process(FilterEffect& effect, std::vector<float>& left, std::vector<float>& right)
{
    float* in[2] = {left.data(), right.data()};
    effect.processReplace(in, in, static_cast<std::int32_t>(left.size()));
}

void processFrames(FilterEffect& effect, std::size_t frames, float value = 0.0f)
{
    std::vector<float> left(frames, value), right(frames, value);
    process(effect, left, right);
}

TEST(FilterEffect, ConstructionAppliesProgramZero)
{
    auto effect = makeEffect();
    EXPECT_EQ(effect->cutoffHz(), 20000.078f);
    EXPECT_EQ(bitsOf(effect->normalisedCutoff()), 0x3F800021u);
    EXPECT_EQ(bitsOf(effect->resonance()), 0x3F3E147Bu);
    EXPECT_EQ(effect->algorithm(), FilterEffect::Algorithm::soft);
    EXPECT_EQ(effect->resolutionNotes(), 64u);
    EXPECT_EQ(bitsOf(effect->sweepRateHz()), 0x3D000118u); // 120.004 BPM over 64 notes
    EXPECT_EQ(effect->modulationTable().cycleSteps(), 14111u);
    EXPECT_EQ(effect->flangerDelay().delay(), 40);
    EXPECT_EQ(effect->sampleCounter(), 0u);
}

TEST(FilterEffect, ParameterChangesReconfigureTheUnits)
{
    auto effect = makeEffect();
    effect->setParameter(cutoffParameter, 0.5f);
    EXPECT_EQ(effect->cutoffHz(), 2538.8591f);
    EXPECT_EQ(effect->modulationTable().entry(0), 2538.8591f); // the centre follows
    effect->setParameter(algorithmParameter, 0.4999f);
    EXPECT_EQ(effect->algorithm(), FilterEffect::Algorithm::soft);
    effect->setParameter(algorithmParameter, 0.5f);
    EXPECT_EQ(effect->algorithm(), FilterEffect::Algorithm::hard);
    effect->setParameter(flangerDelayParameter, 1.0f);
    EXPECT_EQ(effect->flangerDelay().delay(), 199);
    effect->setParameter(flangerDelayParameter, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(effect->flangerDelay().delay(), 0);
    effect->setParameter(resolutionParameter, floatFromBits(0x3D9D89D9));
    EXPECT_EQ(effect->resolutionNotes(), 2u);
    effect->setParameter(resolutionParameter, 1.5f); // matches no step
    EXPECT_EQ(effect->resolutionNotes(), 2u);
    effect->setParameter(8, 1.0f);
    effect->setParameter(-1, 1.0f);
    EXPECT_EQ(effect->getParameter(8), 0.0f);
    EXPECT_EQ(effect->getParameter(-1), 0.0f);
}

TEST(FilterEffect, SweepRangeIsClampedByTheCutoff)
{
    auto effect = makeEffect();
    effect->setParameter(cutoffParameter, 0.0f); // 104.40182 Hz
    effect->setParameter(modRangeParameter, 0.5f);
    EXPECT_EQ(effect->sweepRangeHz(), static_cast<float>(104.40182f - 100.0));
    EXPECT_NEAR(effect->sweepRangeHz(), 4.4018f, 1e-4f);
    // Raising the cutoff does not widen the range again until Mod Range is set.
    effect->setParameter(cutoffParameter, 1.0f);
    EXPECT_NEAR(effect->sweepRangeHz(), 4.4018f, 1e-4f);
    effect->setParameter(modRangeParameter, 0.5f);
    EXPECT_EQ(effect->sweepRangeHz(), 2550.0f);
}

TEST(FilterEffect, ProgramIndicesOutsideTheBankAreIgnored)
{
    auto effect = makeEffect();
    effect->setProgram(4);
    effect->setParameter(cutoffParameter, 0.3f);
    for (std::int32_t program : {16, -1, 1000})
    {
        effect->setProgram(program);
        EXPECT_EQ(effect->getProgram(), 4);
        EXPECT_EQ(effect->getParameter(cutoffParameter), 0.3f);
    }
}

TEST(FilterEffect, SweepStepsCountOnlySamplesProcessedWithTheSweepOn)
{
    auto effect = makeEffect();
    effect->setParameter(algorithmParameter, 1.0f);
    effect->setParameter(modRangeParameter, 0.5f);
    processFrames(*effect, 100);
    EXPECT_EQ(effect->sweptNormalisedCutoff(), 0.0f); // no step yet
    processFrames(*effect, 1);
    const float first = effect->sweptNormalisedCutoff(); // the 101st sample read the centre
    EXPECT_EQ(first, effect->normalisedCutoff());
    processFrames(*effect, 50);
    effect->setParameter(modRangeParameter, 0.0f);
    processFrames(*effect, 1000); // sweep off: the count stands still
    EXPECT_EQ(effect->sampleCounter(), 151u);
    effect->setParameter(modRangeParameter, 0.5f); // rebuild: the next step reads the centre
    processFrames(*effect, 49);
    EXPECT_EQ(effect->sweptNormalisedCutoff(), first);
    EXPECT_EQ(effect->modulationTable().position(), 0u);
    processFrames(*effect, 1); // the 201st sample with the sweep on
    EXPECT_EQ(effect->modulationTable().position(), 1u);
    processFrames(*effect, 100);
    EXPECT_EQ(effect->modulationTable().position(), 2u);
    EXPECT_NE(effect->sweptNormalisedCutoff(), first);
}

// A cutoff, Q Factor or Algorithm change while a hard sweep runs must not leave the filter
// running at the swept cutoff with the feedback of another one: until the next step that
// diverges towards 1e38.
TEST(FilterEffect, HardSweepStaysStableUntilTheNextStep)
{
    struct Change
    {
        int parameter;
        float value;
    };
    const Change changes[] = {{cutoffParameter, 1.0f},   {cutoffParameter, 0.9f},
                              {qFactorParameter, 1.0f},  {algorithmParameter, 1.0f},
                              {modRangeParameter, 0.0f}, {modRangeParameter, 1.0f}};
    for (const auto& change : changes)
    {
        auto effect = makeEffect();
        effect->setParameter(qFactorParameter, 1.0f);
        effect->setParameter(cutoffParameter, 0.0f);
        effect->setParameter(algorithmParameter, 1.0f);
        effect->setParameter(modRangeParameter, 1.0f);
        processFrames(*effect, 1050, 0.1f); // mid-way between two steps
        ASSERT_LT(effect->sweptNormalisedCutoff(), 0.01f);
        if (change.parameter == modRangeParameter && change.value > 0.0f)
        {
            // Sweep off with the cutoff raised, then on again: it resumes the old sweep.
            effect->setParameter(modRangeParameter, 0.0f);
            effect->setParameter(cutoffParameter, 1.0f);
        }
        effect->setParameter(change.parameter, change.value);

        std::vector<float> left = noise(49, 5), right = noise(49, 6);
        for (float& sample : left)
            sample = sample < 0.0f ? -1.0f : 1.0f;
        process(*effect, left, right);
        for (std::size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << i;
            ASSERT_LT(std::fabs(left[i]), 100.0f) << change.parameter << " frame " << i;
            ASSERT_LT(std::fabs(right[i]), 100.0f) << change.parameter << " frame " << i;
        }
    }
}

} // namespace
} // namespace sweepfilter::test
