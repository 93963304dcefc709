#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "ClapTestSupport.h"
#include "Controls.h"

namespace sweepfilter::test
{
namespace
{

using namespace clap;

// The 2.0 plug-in's render of the same signal, with `changes` (parameter, 0..1 value) applied
// at their frames.
StereoSignal renderClassic(StereoSignal signal,
                           const std::vector<std::tuple<std::size_t, int, float>>& changes = {})
{
    PluginLibrary library;
    HostedEffect effect(library);
    effect.setSampleRate(44100.0f);
    effect.resume();
    StereoSignal out(signal.frames());
    std::size_t done = 0;
    const auto upTo = [&](std::size_t frame) {
        if (frame > done)
            effect.processReplace(signal.buffers(done), out.buffers(done),
                                  static_cast<std::int32_t>(frame - done));
        done = frame;
    };
    for (auto [frame, index, value] : changes)
    {
        upTo(frame);
        effect.setParameter(index, value);
    }
    upTo(signal.frames());
    return out;
}

std::unique_ptr<ClapInstance> activated(double rate = 44100.0)
{
    auto instance = std::make_unique<ClapInstance>(clapModule());
    instance->activate(rate);
    return instance;
}

// At its defaults at 44.1 kHz the plug-in sounds as the 2.0 plug-in's program 0, bit for bit,
// whatever the block size.
TEST(ClapProcessing, DefaultsSoundAsTheClassicPlugin)
{
    const StereoSignal signal = clapTestSignal(9000);
    const StereoSignal expected = renderClassic(signal);
    std::mt19937 random(3);
    for (std::uint32_t block : {1u, 7u, 64u, 4096u, 0u})
    {
        const auto instanceOwner = activated();
        ClapInstance& instance = *instanceOwner;
        StereoSignal out(signal.frames());
        for (std::size_t done = 0; done < signal.frames();)
        {
            const std::uint32_t size =
                std::min<std::uint32_t>(block ? block : 1 + random() % 4096,
                                        static_cast<std::uint32_t>(signal.frames() - done));
            StereoSignal copy = signal;
            const float* in[2] = {copy.left.data() + done, copy.right.data() + done};
            float* const outs[2] = {out.left.data() + done, out.right.data() + done};
            ASSERT_EQ(instance.process(in, outs, size), CLAP_PROCESS_CONTINUE);
            done += size;
        }
        EXPECT_TRUE(sameBits(out, expected)) << "blocks of " << block;
    }
}

// With the sweep, the send, smoothing and events at fixed frames, the block size does not
// change a bit: each event lands on its frame whichever block holds it.
TEST(ClapProcessing, BlockSizesGiveTheSameBits)
{
    const StereoSignal signal = clapTestSignal(12000, 48000.0f);
    const std::tuple<std::size_t, Control, double> changes[] = {
        {0, Control::modRangeHz, 1500.0}, {0, Control::sendPercent, 30.0},
        {0, Control::smoothingMs, 5.0},   {0, Control::resolution, 1.0},
        {3001, Control::cutoffHz, 700.0}, {3001, Control::qFactor, 0.9},
        {7777, Control::algorithm, 1.0},  {9000, Control::enabled, 1.0}}; // bypassed
    const auto render = [&](std::uint32_t block) {
        ClapInstance instance(clapModule());
        instance.activate(48000.0);
        return renderClap(instance, signal, block, [&](std::size_t start, ClapEventList& list) {
            for (auto [frame, control, value] : changes)
                if (frame >= start && frame < start + block)
                    list.addParameter(static_cast<std::uint32_t>(frame - start), idOf(control),
                                      value);
        });
    };
    const StereoSignal expected = render(4096);
    for (std::uint32_t block : {1u, 7u, 64u, 1000u})
        EXPECT_TRUE(sameBits(render(block), expected)) << "blocks of " << block;
}

// A parameter event lands on the frame it names: the same bits as the 2.0 plug-in changed at
// that frame, at the first, a middle and the last frame of a block; also in Classic with the
// sweep on, which restarts at the change as the 2.0 plug-in's does.
TEST(ClapProcessing, EventsApplyOnTheirFrame)
{
    const StereoSignal signal = clapTestSignal(6000);
    for (bool classicSweep : {false, true})
        for (std::uint32_t k : {0u, 613u, 1023u})
        {
            const std::size_t at = 1024 + k;
            std::vector<std::tuple<std::size_t, int, float>> changes = {
                {at, 0, *effectValue(Control::cutoffHz, 900.0f)},
                {at, 1, *effectValue(Control::qFactor, 0.9f)}};
            if (classicSweep)
                changes.insert(changes.begin(), {0, 3, *effectValue(Control::modRangeHz, 2000.0f)});
            const StereoSignal classic = renderClassic(signal, changes);
            const auto instanceOwner = activated();
            const StereoSignal events = renderClap(
                *instanceOwner, signal, 1024, [&](std::size_t frame, ClapEventList& list) {
                    if (frame == 0 && classicSweep)
                    {
                        list.addParameter(0, idOf(Control::behaviour), 1.0);
                        list.addParameter(0, idOf(Control::modRangeHz), 2000.0);
                    }
                    if (frame == 1024)
                    {
                        list.addParameter(k, idOf(Control::cutoffHz), 900.0);
                        list.addParameter(k, idOf(Control::qFactor), 0.9);
                    }
                });
            EXPECT_TRUE(sameBits(events, classic))
                << "event at " << k << (classicSweep ? ", Classic with the sweep" : "");
        }
}

// In place or not, the output is the same; silence in gives silence out; reset, and a new
// activation, sound as a new instance.
TEST(ClapProcessing, InPlaceResetAndReactivation)
{
    const StereoSignal signal = clapTestSignal(6000);
    const auto settings = [](std::size_t frame, ClapEventList& list) {
        if (frame == 0)
            for (auto [control, value] : {std::pair{Control::algorithm, 1.0},
                                          {Control::qFactor, 0.95},
                                          {Control::modRangeHz, 2000.0},
                                          {Control::sendPercent, 40.0}})
                list.addParameter(0, idOf(control), value);
    };
    const auto freshOwner = activated(96000.0);
    ClapInstance& fresh = *freshOwner;
    const StereoSignal expected = renderClap(fresh, signal, 100, settings);

    const auto inPlaceOwner = activated(96000.0);
    ClapInstance& inPlace = *inPlaceOwner;
    StereoSignal buffer = signal;
    ClapEventList list;
    settings(0, list);
    const float* in[2] = {buffer.left.data(), buffer.right.data()};
    float* const out[2] = {buffer.left.data(), buffer.right.data()};
    ASSERT_EQ(inPlace.process(in, out, static_cast<std::uint32_t>(buffer.frames()), &list),
              CLAP_PROCESS_CONTINUE);
    EXPECT_TRUE(sameBits(buffer, expected));

    inPlace.reset();
    EXPECT_TRUE(sameBits(renderClap(inPlace, signal, 100, settings), expected));
    inPlace.deactivate();
    inPlace.activate(96000.0);
    EXPECT_TRUE(sameBits(renderClap(inPlace, signal, 100, settings), expected));

    const StereoSignal silence(4000);
    inPlace.reset();
    EXPECT_TRUE(sameBits(renderClap(inPlace, silence, 64, settings), silence));
}

// Flushed values apply outside processing, inactive or active, and get_value shows them.
TEST(ClapProcessing, FlushAppliesValues)
{
    const StereoSignal signal = clapTestSignal(4000);
    const auto eventedOwner = activated();
    ClapInstance& evented = *eventedOwner;
    const StereoSignal expected =
        renderClap(evented, signal, 500, [](std::size_t frame, ClapEventList& list) {
            if (frame == 0)
                list.addParameter(0, idOf(Control::cutoffHz), 600.0);
        });
    ClapEventList change;
    change.addParameter(0, idOf(Control::cutoffHz), 600.0);
    ClapInstance inactive(clapModule());
    inactive.flush(change);
    EXPECT_EQ(inactive.value(idOf(Control::cutoffHz)), 600.0);
    inactive.activate(44100.0);
    EXPECT_TRUE(sameBits(renderClap(inactive, signal, 500), expected));

    const auto activeOwner = activated();
    ClapInstance& active = *activeOwner;
    active.flush(change);
    EXPECT_EQ(active.value(idOf(Control::cutoffHz)), 600.0);
    EXPECT_TRUE(sameBits(renderClap(active, signal, 500), expected));
}

// Events a host should not send, or that the plug-in does not know, change nothing else and
// never make the output non-finite: unknown spaces, types and ids, sizes too small for their
// type, times beyond the block or out of order, values NaN or far out of range.
TEST(ClapProcessing, StrangeEventsAreSkippedOrLimited)
{
    const StereoSignal signal = clapTestSignal(2048);
    const auto plainOwner = activated();
    ClapInstance& plain = *plainOwner;
    const StereoSignal expected = renderClap(plain, signal, 512);
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    const auto instanceOwner = activated();
    ClapInstance& instance = *instanceOwner;
    const StereoSignal out =
        renderClap(instance, signal, 512, [&](std::size_t, ClapEventList& list) {
            clap_event_param_value event{};
            event.header = {sizeof event, 3, 7, CLAP_EVENT_PARAM_VALUE, 0}; // another space
            event.param_id = idOf(Control::cutoffHz);
            event.value = 300.0;
            list.addRaw(&event, sizeof event);
            event.header = {sizeof event - 8, 3, 0, CLAP_EVENT_PARAM_VALUE, 0}; // too short
            list.addRaw(&event, sizeof event);
            event.header = {sizeof event, 3, 0, CLAP_EVENT_NOTE_ON, 0};
            list.addRaw(&event, sizeof event);
            event.header = {0, 3, 0, CLAP_EVENT_PARAM_VALUE, 0};
            list.addRaw(&event, 0);
            list.addParameter(5, controlCount, 1.0);
            list.addParameter(5, 0xFFFFFFFFu, 1.0);
            list.addParameter(9, idOf(Control::cutoffHz), nan);
            list.addParameter(1, idOf(Control::qFactor), nan);
        });
    EXPECT_TRUE(sameBits(out, expected));
    EXPECT_EQ(instance.value(idOf(Control::cutoffHz)), 20000.0);

    const StereoSignal limited =
        renderClap(instance, signal, 512, [&](std::size_t, ClapEventList& list) {
            list.addParameter(4000, idOf(Control::cutoffHz), -inf);
            list.addParameter(2, idOf(Control::qFactor), inf);
            list.addParameter(0xFFFFFFFFu, idOf(Control::modRangeHz), 1e300);
        });
    EXPECT_EQ(instance.value(idOf(Control::qFactor)), double{0.99f});
    EXPECT_EQ(instance.value(idOf(Control::modRangeHz)), 5000.0);
    for (std::size_t i = 0; i < limited.frames(); ++i)
        ASSERT_TRUE(std::isfinite(limited.left[i]) && std::isfinite(limited.right[i])) << i;
}

} // namespace
} // namespace sweepfilter::test
