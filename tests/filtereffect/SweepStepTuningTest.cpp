#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "FloatBitsSupport.h"
#include "ParameterMapping.h"
#include "SweepStepTuning.h"

namespace sweepfilter::test
{
namespace
{

struct Sweep
{
    float rate;
    bool hard;
    float resonance, centreHz, amplitudeHz, cyclesPerSecond;
};

// Each step's setting as the effect takes it (positions in order, the work done ahead) is the
// exact tuning of its entry or the float next to it, and a fresh tuning asked for the positions
// in a random order gives the same bits. Slow sweeps at high rates take the line on odd
// positions (also near the top of the range); fast sweeps, low rates and the hard filter
// without resonance are tuned exactly at every step.
TEST(SweepStepTuning, EveryStepLiesAtItsExactTuningWhateverTheOrderOfAsking)
{
    const Sweep sweeps[] = {
        {48000.0f, false, 0.784f, 3905.13f, 2060.0f, 1.0f / 32.0f},
        {48000.0f, true, 0.784f, 3905.13f, 2060.0f, 1.0f / 32.0f},
        {96000.0f, true, 0.97f, 12000.0f, 9000.0f, 1.0f / 90.0f},
        {192000.0f, false, 0.1f, 15000.0f, 6500.0f, 1.0f / 60.0f},
        {192000.0f, true, 0.1f, 19000.0f, 2500.0f, 1.0f / 60.0f},
        {192000.0f, false, 0.5f, 20000.0f, 1900.0f, 1.0f / 90.0f},
        {192000.0f, true, 0.1f, 19900.0f, 500.0f, 1.0f / 90.0f},
        {96000.0f, true, 0.0f, 19000.0f, 2500.0f, 1.0f / 60.0f},
        {48000.0f, false, 0.5f, 3000.0f, 2000.0f, 2.0f},
        {32000.0f, true, 0.5f, 3000.0f, 1000.0f, 1.0f / 32.0f},
    };
    std::mt19937 random(5);
    for (const Sweep& sweep : sweeps)
    {
        ModulationTable table(100, 96, 44100.0f);
        table.rebuild(sweep.amplitudeHz, sweep.cyclesPerSecond, sweep.centreHz);
        const RateTuning tuning(sweep.rate);
        const SweepStepTuning::Source source{table, tuning, sweep.hard, sweep.resonance};
        const std::uint32_t steps = table.cycleSteps() + 1;

        SweepStepTuning inOrder, anyOrder;
        std::vector<SweepStepTuning::Step> taken(steps);
        for (std::uint32_t k = 0; k < steps; ++k)
        {
            taken[k] = inOrder.at(k, source);
            inOrder.workAhead(k, source);
        }
        std::vector<std::uint32_t> order(steps);
        std::iota(order.begin(), order.end(), 0u);
        std::shuffle(order.begin(), order.end(), random);
        // Floats apart from the exact tuning.
        std::int64_t worst = 0;
        const auto apart = [&worst](float got, float exact) {
            worst = std::max(worst, std::abs(std::int64_t{bitsOf(got)} - bitsOf(exact)));
        };
        for (std::uint32_t k : order)
        {
            const SweepStepTuning::Step step = anyOrder.at(k, source);
            const SweepStepTuning::Step& expected = taken[k];
            ASSERT_EQ(bitsOf(step.softCutoffHz), bitsOf(expected.softCutoffHz)) << k;
            ASSERT_EQ(bitsOf(step.hard.stageCoefficient), bitsOf(expected.hard.stageCoefficient));
            ASSERT_EQ(bitsOf(step.hard.resonance), bitsOf(expected.hard.resonance)) << k;
            const float hz = table.entry(k);
            if (sweep.hard)
            {
                const auto exact = tuning.hard(mapping::normalisedCutoff(hz), sweep.resonance);
                apart(step.hard.stageCoefficient, exact.stageCoefficient);
                apart(step.hard.resonance, exact.resonance);
            }
            else
            {
                apart(step.softCutoffHz, tuning.softCutoffHz(hz));
            }
        }
        EXPECT_LE(worst, 1) << sweep.rate << " " << sweep.hard;
        const bool lines = SweepStepTuning::interpolates(source);
        EXPECT_EQ(lines, sweep.rate >= 45000.0f && sweep.cyclesPerSecond < 1.0f &&
                             (!sweep.hard || sweep.resonance > 0.0f))
            << sweep.rate << " " << sweep.hard;
        if (!lines)
        {
            EXPECT_EQ(worst, 0.0);
        }
    }
}

} // namespace
} // namespace sweepfilter::test
