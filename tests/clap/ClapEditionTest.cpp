#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "ClapParameters.h"
#include "ClapPlugin.h"
#include "ClapTestSupport.h"
#include "FilterEffect.h"
#include "HostSyncScenarios.h"
#include "LinkedAdapter.h"
#include "Lv2TestHost.h"

namespace sweepfilter::test
{
namespace
{

using namespace clap;

// The adapter linked in, behind a factory of its own, so that a test can watch the sweep.
const clap_plugin_factory& linkedFactory()
{
    static const char* const features[] = {nullptr};
    static const clap_plugin_descriptor descriptor = {
        CLAP_VERSION, "linked", "linked", "", "", "", "", "", "", features};
    static const clap_plugin_factory factory = {
        [](const clap_plugin_factory*) { return 1u; },
        [](const clap_plugin_factory*, std::uint32_t) { return &descriptor; },
        [](const clap_plugin_factory*, const clap_host* host, const char*) {
            return ClapPlugin::create(host, &descriptor);
        }};
    return factory;
}

std::uint32_t sweepPosition(const ClapInstance& instance)
{
    return ClapPlugin::of(&instance.plugin())->effect().modulationTable().position();
}

// Renders `frames` of noise in blocks, the transport sent with every block and, where a
// segment starts inside a block, as an event there; notes where each sweep cycle starts.
std::vector<std::uint64_t> cycleStarts(ClapInstance& instance, const Transport& t,
                                       std::uint64_t frames, std::uint32_t block)
{
    const StereoSignal in(noise(block, 3), noise(block, 4));
    StereoSignal out(block);
    std::vector<std::uint64_t> starts;
    std::uint32_t last = sweepPosition(instance);
    ClapEventList events;
    const auto transportAt = [&](std::uint64_t frame) {
        const auto& s = t.segmentAt(frame);
        return ClapTransport{t.beatAt(frame), s.bpm, s.speed != 0.0};
    };
    for (std::uint64_t frame = 0; frame < frames; frame += block)
    {
        events.clear();
        for (const Transport::Segment& s : t.segments)
            if (s.frame > frame && s.frame < frame + block)
                events.addTransport(static_cast<std::uint32_t>(s.frame - frame),
                                    transportAt(s.frame));
        const ClapTransport now = transportAt(frame);
        const float* inputs[2] = {in.left.data(), in.right.data()};
        float* const outputs[2] = {out.left.data(), out.right.data()};
        instance.process(inputs, outputs, block, &events, &now);
        const std::uint32_t position = sweepPosition(instance);
        if (position == 1 && last != 1)
            starts.push_back(frame + block);
        last = position;
    }
    return starts;
}

// With Sync Host, the transport drives the sweep as time:Position does in the LV2 edition:
// every cycle on its beat for ten minutes, across tempo changes, relocations and loops.
TEST(ClapEdition, HostSyncStartsEveryCycleOnItsBeat)
{
    const std::uint32_t block = 16;
    for (const SyncScenario& scenario : syncScenarios())
    {
        ClapInstance instance(linkedFactory(), "linked");
        instance.activate(syncRate);
        ClapEventList settings;
        settings.addParameter(0, idOf(Control::modRangeHz), 900.0);
        settings.addParameter(0, idOf(Control::resolution), syncNotes);
        settings.addParameter(0, idOf(Control::sync), 1.0);
        instance.flush(settings);
        expectCyclesOnTheBeat(
            scenario, cycleStarts(instance, {scenario.segments, syncRate}, scenario.frames, block),
            block);
    }
}

// Two exports of a host-synced session give the same bits whatever the host ran before the
// timeline started: 0 or 90 blocks, with no transport or a stopped one.
TEST(ClapEdition, HostSyncedRendersDoNotDependOnWhatCameBefore)
{
    const StereoSignal signal = clapTestSignal(48000, 48000.0f);
    const auto render = [&](int blocksBefore, bool stoppedBefore) {
        ClapInstance instance(clapModule());
        instance.activate(48000.0);
        const std::pair<Control, double> settings[] = {
            {Control::cutoffHz, 1500.0}, {Control::qFactor, 0.8}, {Control::modRangeHz, 1200.0},
            {Control::resolution, 1.0},  {Control::sync, 1.0},    {Control::smoothingMs, 10.0}};
        ClapEventList list;
        for (auto [control, value] : settings)
            list.addParameter(0, idOf(control), value);
        instance.flush(list);
        const StereoSignal silence(1024);
        StereoSignal ignored(1024);
        const ClapTransport stopped{0.0, 97.0, false};
        for (int b = 0; b < blocksBefore; ++b)
        {
            const float* in[2] = {silence.left.data(), silence.right.data()};
            float* const out[2] = {ignored.left.data(), ignored.right.data()};
            instance.process(in, out, 1024, nullptr, stoppedBefore ? &stopped : nullptr);
        }
        ClapTransport rolling;
        return renderClap(instance, signal, 1000, {}, [&](std::size_t frame) {
            rolling = {static_cast<double>(frame) * 123.0 / 60.0 / 48000.0, 123.0, true};
            return &rolling;
        });
    };
    const StereoSignal reference = render(0, false);
    for (auto [blocks, stopped] : {std::pair{90, false}, {90, true}, {89, true}})
        EXPECT_TRUE(sameBits(render(blocks, stopped), reference)) << blocks << " blocks before";
}

// A host that sends its transport with every block, as CLAP hosts do, gets the bits of one
// that sent it once: positions that agree with the timeline change nothing, not even a glide.
TEST(ClapEdition, TransportWithEveryBlockEqualsTransportOnce)
{
    const StereoSignal signal = clapTestSignal(40000, 48000.0f);
    const auto render = [&](bool everyBlock) {
        ClapInstance instance(clapModule());
        instance.activate(48000.0);
        ClapEventList list;
        for (auto [control, value] : {std::pair{Control::modRangeHz, 2000.0},
                                      {Control::resolution, 1.0},
                                      {Control::sync, 1.0},
                                      {Control::smoothingMs, 20.0},
                                      {Control::algorithm, 1.0}})
            list.addParameter(0, idOf(control), value);
        instance.flush(list);
        ClapTransport transport;
        return renderClap(instance, signal, 333, {}, [&](std::size_t frame) {
            transport = {2.5 + static_cast<double>(frame) * 131.0 / 60.0 / 48000.0, 131.0, true};
            return frame == 0 || everyBlock ? &transport : nullptr;
        });
    };
    EXPECT_TRUE(sameBits(render(true), render(false)));
}

// With parameters set, the CLAP and LV2 editions give the same bits: both take their values
// from the one description of the controls.
TEST(ClapEdition, SoundsAsTheLv2EditionWithTheSameValues)
{
    const std::vector<std::vector<std::pair<Control, float>>> sessions = {
        {{Control::cutoffHz, 800.0f}, {Control::qFactor, 0.9f}, {Control::algorithm, 1.0f}},
        {{Control::modRangeHz, 2500.0f},
         {Control::tempoBpm, 97.0f},
         {Control::resolution, 2.0f},
         {Control::sendPercent, 30.0f},
         {Control::delaySamples, 77.0f}},
        {{Control::behaviour, 1.0f}, {Control::modRangeHz, 900.0f}, {Control::algorithm, 1.0f}},
        {{Control::smoothingMs, 15.0f}, {Control::enabled, 0.0f}, {Control::cutoffHz, 300.0f}},
    };
    for (double rate : {44100.0, 96000.0})
        for (const auto& session : sessions)
        {
            const StereoSignal signal = clapTestSignal(30000, static_cast<float>(rate));
            Session lv2(adapter(), rate);
            for (auto [control, value] : session)
                lv2.set(control, value);
            StereoSignal expected(signal.frames());
            for (std::size_t done = 0; done < signal.frames(); done += 1000)
                lv2.run(signal.left.data() + done, signal.right.data() + done,
                        expected.left.data() + done, expected.right.data() + done, 1000);

            ClapInstance instance(clapModule());
            instance.activate(rate);
            const StereoSignal out =
                renderClap(instance, signal, 1000, [&](std::size_t frame, ClapEventList& list) {
                    if (frame == 0)
                        for (auto [control, value] : session)
                            list.addParameter(0, idOf(control), plainValue(control, value));
                });
            EXPECT_TRUE(sameBits(out, expected)) << rate << " Hz, session of " << session.size();
        }
}

} // namespace
} // namespace sweepfilter::test
