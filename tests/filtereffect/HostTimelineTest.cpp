#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "HostTimeline.h"

namespace sweepfilter::test
{
namespace
{

HostTimeline reported(double rate, double bpm, double beat)
{
    HostTimeline timeline(rate);
    EXPECT_TRUE(timeline.report({beat, bpm, 1.0}));
    return timeline;
}

// Stepping on from edge to edge answers what a timeline given the same report finds when
// first asked on that frame, and the cycles start on every multiple of the cycle's beats:
// the step after the last of a cycle is step 0, within one step of that multiple.
TEST(HostTimeline, StepsFromEdgeToEdgeAsAFreshLookFindsThem)
{
    struct Case
    {
        double rate, bpm, beat;
        std::uint32_t steps;
        double cycleBeats = 4.0;
        std::uint64_t wholeFrames = 0; // a step's length when it is a whole number of frames
    };
    const Case cases[] = {
        {44100.0, 120.0, 0.0, 882, 4.0, 100},
        {44100.0, 120.0, 0.0, 14112, 64.0, 100},
        {48000.0, 100.0, 1.5, 49},
        {96000.0, 137.0, 1e6, 14112},
        {22050.0, 200.0, -2.25, 3},
        {8000.0, 200.0, 0.0, 42000}, // several steps to a frame
    };
    for (const Case& c : cases)
    {
        HostTimeline walking = reported(c.rate, c.bpm, c.beat);
        std::uint32_t last = 0;
        for (std::uint64_t k = 0; k < 3000; ++k)
        {
            const HostTimeline::Step step = walking.stepAt(c.cycleBeats, c.steps);
            HostTimeline fresh = reported(c.rate, c.bpm, c.beat);
            fresh.advance(walking.framesSinceReport());
            const HostTimeline::Step look = fresh.stepAt(c.cycleBeats, c.steps);
            ASSERT_EQ(step.index, look.index) << c.steps << " steps, edge " << k;
            ASSERT_EQ(step.framesToNext, look.framesToNext) << c.steps << " steps, edge " << k;
            const bool slow = c.rate * 60.0 / c.bpm * c.cycleBeats / c.steps >= 1.0;
            if (slow && k > 0)
            {
                ASSERT_EQ(step.index, last + 1 == c.steps ? 0 : last + 1) << c.steps;
            }
            if (slow && step.index == 0)
            {
                const double cycles = walking.beats() / c.cycleBeats;
                EXPECT_NEAR(cycles, std::round(cycles), 1.0 / c.steps) << c.steps;
            }
            if (c.wholeFrames > 0)
            {
                ASSERT_EQ(walking.framesSinceReport(), k * c.wholeFrames) << "step " << k;
            }
            last = step.index;
            walking.advance(step.framesToNext);
        }
    }
}

// Positions too far out to count steps in still give a step inside the cycle and a wait of at
// least a frame.
TEST(HostTimeline, FarPositionsGiveAStepInsideTheCycle)
{
    for (double beat : {1e308, -1e308, 1e300, 0x1p60})
    {
        HostTimeline timeline = reported(48000.0, 200.0, beat);
        for (int k = 0; k < 3; ++k)
        {
            const HostTimeline::Step step = timeline.stepAt(4.0, 49);
            EXPECT_LT(step.index, 49u) << beat;
            EXPECT_GE(step.framesToNext, 1u) << beat;
            timeline.advance(step.framesToNext);
        }
    }
}

} // namespace
} // namespace sweepfilter::test
