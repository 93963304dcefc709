#include <gtest/gtest.h>

#include <vector>

#include "ClapTestSupport.h"
#include "RealtimeWatch.h"

namespace sweepfilter::test
{
namespace
{

// Every audio-thread call (process with events and transport, flush, reset, start and stop)
// allocates nothing, takes no lock and does not sleep, whatever it is asked to do.
TEST(ClapRealtime, AudioThreadCallsNeitherAllocateNorLockNorSleep)
{
    ClapInstance instance(clapModule());
    instance.activate(48000.0);
    const StereoSignal signal = clapTestSignal(4096, 48000.0f);
    StereoSignal out(4096);
    const float* in[2] = {signal.left.data(), signal.right.data()};
    float* const outs[2] = {out.left.data(), out.right.data()};
    const std::vector<std::pair<Control, double>> moves = {
        {Control::modRangeHz, 2000.0}, {Control::algorithm, 1.0},  {Control::sync, 1.0},
        {Control::smoothingMs, 20.0},  {Control::cutoffHz, 500.0}, {Control::sendPercent, 50.0},
        {Control::behaviour, 1.0},     {Control::resolution, 3.0}, {Control::behaviour, 0.0},
        {Control::enabled, 1.0},       {Control::qFactor, 0.9},    {Control::enabled, 0.0}};
    const ClapTransport rolling{13.5, 90.0, true}, stopped{2.0, 91.0, false};
    for (const auto& [control, value] : moves)
    {
        ClapEventList events, flushed;
        events.addParameter(17, idOf(control), value);
        events.addTransport(900, stopped);
        flushed.addParameter(0, idOf(Control::tempoBpm), value > 100.0 ? 150.0 : 70.0);
        RealtimeWatch::watching = true;
        instance.process(in, outs, 4096, &events, &rolling);
        instance.process(in, outs, 4096, nullptr, nullptr);
        instance.stopProcessing();
        instance.flush(flushed);
        instance.reset();
        RealtimeWatch::watching = false;
    }
    EXPECT_EQ(RealtimeWatch::allocations.load(), 0);
    EXPECT_EQ(RealtimeWatch::locks.load(), 0);
    EXPECT_EQ(RealtimeWatch::sleeps.load(), 0);
}

// A creation that runs out of memory fails on its own, cleanly, at every allocation it makes,
// and the next creation in the same process works.
TEST(ClapRealtime, ACreationOutOfMemoryLeavesLaterOnesWorking)
{
    const clap::clap_plugin_factory& factory = clapModule().factory();
    const char* id = clapModule().descriptors()[0]->id;
    int failures = 0;
    for (long n = 1; n < 100; ++n)
    {
        RealtimeWatch::failingAllocation = n;
        const clap::clap_plugin* failed = factory.create_plugin(&factory, nullptr, id);
        RealtimeWatch::failingAllocation = 0;
        if (failed)
        {
            failed->destroy(failed);
            break;
        }
        ++failures;
        const clap::clap_plugin* later = factory.create_plugin(&factory, nullptr, id);
        EXPECT_NE(later, nullptr) << "after allocation " << n << " failed";
        if (later)
            later->destroy(later);
    }
    EXPECT_GE(failures, 4);
}

} // namespace
} // namespace sweepfilter::test
