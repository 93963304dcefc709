#include <gtest/gtest.h>

#include <vector>

#include "Lv2TestHost.h"
#include "RealtimeWatch.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

// `run` allocates nothing, takes no lock and does not sleep, whatever it is asked to do:
// settle new controls, switch behaviour, follow the host's time, glide, crossfade to bypass.
TEST(Lv2Realtime, RunNeitherAllocatesNorLocksNorSleeps)
{
    BundleLibrary library;
    Session session(library.descriptor(), 48000.0);
    ASSERT_NE(session.handle(), nullptr);
    const auto left = chord(4096), right = noise(4096, 1);
    std::vector<float> outLeft(4096), outRight(4096);
    const std::vector<std::vector<Position>> times = {
        {}, {{0, 0.0, 120.0, 1.0}}, {{7, 13.5, 90.0, 1.0}, {900, 2.0, 91.0, 0.0}}, {}};
    const std::vector<std::pair<Control, float>> moves = {
        {Control::modRangeHz, 2000.0f}, {Control::algorithm, 1.0f},    {Control::sync, 1.0f},
        {Control::cutoffHz, 500.0f},    {Control::sendPercent, 50.0f}, {Control::behaviour, 1.0f},
        {Control::resolution, 3.0f},    {Control::behaviour, 0.0f},    {Control::tempoBpm, 77.0f},
        {Control::smoothingMs, 20.0f},  {Control::cutoffHz, 3000.0f},  {Control::enabled, 0.0f},
        {Control::qFactor, 0.9f},       {Control::enabled, 1.0f}};
    session.connectAudio(left.data(), right.data(), outLeft.data(), outRight.data());
    for (const auto& [control, value] : moves)
        for (const auto& time : times)
        {
            session.set(control, value);
            session.writeTime(time);
            RealtimeWatch::watching = true;
            library.descriptor()->run(session.handle(), 4096);
            RealtimeWatch::watching = false;
        }
    EXPECT_EQ(RealtimeWatch::allocations.load(), 0);
    EXPECT_EQ(RealtimeWatch::locks.load(), 0);
    EXPECT_EQ(RealtimeWatch::sleeps.load(), 0);
}

// An instantiation that runs out of memory fails on its own: every allocation it makes can
// fail, cleanly, and the next instantiation in the same process works.
TEST(Lv2Realtime, AnInstantiationOutOfMemoryLeavesLaterOnesWorking)
{
    BundleLibrary library;
    const LV2_Descriptor* d = library.descriptor();
    int failures = 0;
    for (long n = 1; n < 100; ++n)
    {
        RealtimeWatch::failingAllocation = n;
        LV2_Handle failed = d->instantiate(d, 44100.0, "", nullptr);
        RealtimeWatch::failingAllocation = 0;
        if (failed)
        {
            d->cleanup(failed);
            break;
        }
        ++failures;
        LV2_Handle later = d->instantiate(d, 44100.0, "", nullptr);
        EXPECT_NE(later, nullptr) << "after allocation " << n << " failed";
        if (later)
            d->cleanup(later);
    }
    EXPECT_GE(failures, 4); // the instance, the effect and its units each allocate
}

} // namespace
} // namespace sweepfilter::test
