#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>

#include "ClapTestSupport.h"
#include "Controls.h"

namespace sweepfilter::test
{
namespace
{

using namespace clap;

// The entry, the factory and the descriptor, as a careful host checks them.
TEST(ClapModule, EntryFactoryAndDescriptorAreSound)
{
    const clap_plugin_entry& entry = clapModule().entry();
    EXPECT_EQ(entry.clap_version.major, 1u);
    // A second init before deinit answers true too; each init has its deinit.
    EXPECT_TRUE(entry.init(clapModule().path().c_str()));
    entry.deinit();
    EXPECT_EQ(entry.get_factory("clap.no-such-factory"), nullptr);
    EXPECT_EQ(entry.get_factory(nullptr), nullptr);

    ASSERT_EQ(clapModule().descriptors().size(), 1u);
    const clap_plugin_descriptor& d = *clapModule().descriptors()[0];
    EXPECT_STREQ(d.id, "org.sweepfilter.sweepfilter");
    EXPECT_STREQ(d.name, "sweepfilter");
    std::vector<std::string> features;
    for (const char* const* f = d.features; *f; ++f)
        features.emplace_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "filter", "stereo"}));

    const clap_plugin_factory& factory = clapModule().factory();
    ClapInstance probe(clapModule());
    for (const char* id : {"org.sweepfilter.other", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(factory.create_plugin(&factory, nullptr, id), nullptr);
}

// Extensions: the four it has, complete; null for any other id, also with a host that offers
// no extension at all.
TEST(ClapModule, ExtensionsAreCompleteAndUnknownOnesNull)
{
    for (auto support : {ClapInstance::HostSupport::full, ClapInstance::HostSupport::none})
    {
        ClapInstance instance(clapModule(), {}, support);
        const clap_plugin& p = instance.plugin();
        const auto* params =
            static_cast<const clap_plugin_params*>(p.get_extension(&p, "clap.params"));
        ASSERT_NE(params, nullptr);
        EXPECT_TRUE(params->count && params->get_info && params->get_value &&
                    params->value_to_text && params->text_to_value && params->flush);
        const auto* ports =
            static_cast<const clap_plugin_audio_ports*>(p.get_extension(&p, "clap.audio-ports"));
        ASSERT_NE(ports, nullptr);
        clap_audio_port_info info{};
        ASSERT_TRUE(ports->get(&p, 0, true, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, "stereo");
        EXPECT_EQ(info.in_place_pair, 0u);
        EXPECT_FALSE(ports->get(&p, 1, false, &info));
        const auto* state =
            static_cast<const clap_plugin_state*>(p.get_extension(&p, "clap.state"));
        ASSERT_NE(state, nullptr);
        EXPECT_TRUE(state->save && state->load);
        const auto* latency =
            static_cast<const clap_plugin_latency*>(p.get_extension(&p, "clap.latency"));
        ASSERT_NE(latency, nullptr);
        EXPECT_EQ(latency->get(&p), 0u);
        for (const char* id : {"clap.note-ports", "clap.gui", "clap.params.x", "",
                               static_cast<const char*>(nullptr)})
            EXPECT_EQ(p.get_extension(&p, id), nullptr) << (id ? id : "null");
        instance.activate(48000.0);
        const StereoSignal out = renderClap(instance, clapTestSignal(512), 128);
        EXPECT_TRUE(instance.complaints().empty());
    }
}

// Every control is a parameter under its number, in the LV2 ports' units and defaults; the
// on switch is the host's bypass, inverted; enumerations are stepped.
TEST(ClapModule, ParametersFollowTheControls)
{
    ClapInstance instance(clapModule());
    ASSERT_EQ(instance.parameters().size(), static_cast<std::size_t>(controlCount));
    for (const clap_param_info& info : instance.parameters())
    {
        const ControlDescription& d = describe(static_cast<Control>(info.id));
        const bool bypass = d.designation == Designation::enabled;
        EXPECT_STREQ(info.name, bypass ? "Bypass" : d.name);
        EXPECT_EQ(info.min_value, d.minimum);
        EXPECT_EQ(info.max_value, d.maximum);
        EXPECT_EQ(info.default_value, bypass ? 0.0 : double{d.defaultValue}) << info.name;
        EXPECT_EQ(instance.value(info.id), info.default_value);
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_BYPASS) != 0, bypass);
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_ENUM) != 0, d.enumeration);
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, d.enumeration || d.integer || bypass);
        EXPECT_TRUE(info.flags & CLAP_PARAM_IS_AUTOMATABLE);
    }
    EXPECT_FALSE(instance.value(controlCount));
}

// Texts: what a value shows reads back as a value that shows the same; small buffers get a
// terminated prefix; unknown ids and unreadable texts are refused.
TEST(ClapModule, TextsRoundTrip)
{
    ClapInstance instance(clapModule());
    for (const clap_param_info& info : instance.parameters())
        for (double fraction : {0.0, 0.013, 0.25, 0.5, 0.77, 1.0})
        {
            const double value = info.min_value + fraction * (info.max_value - info.min_value);
            const auto text = instance.text(info.id, value);
            ASSERT_TRUE(text) << info.name;
            const auto back = instance.fromText(info.id, *text);
            ASSERT_TRUE(back) << info.name << ": " << *text;
            EXPECT_EQ(instance.text(info.id, *back), text) << info.name;
        }
    const auto cutoff = idOf(Control::cutoffHz);
    const auto resolution = idOf(Control::resolution);
    EXPECT_EQ(instance.text(cutoff, 1000.0), "1000.0 Hz");
    EXPECT_EQ(instance.text(resolution, 16.0), "16 notes");
    EXPECT_EQ(instance.text(idOf(Control::enabled), 1.0), "on");
    EXPECT_EQ(instance.text(idOf(Control::modRangeHz), 0.0), "off");
    EXPECT_EQ(instance.fromText(cutoff, " 2500 hz "), 2500.0);
    EXPECT_EQ(instance.fromText(resolution, "32 NOTES"), 32.0);
    EXPECT_EQ(instance.fromText(cutoff, "99999"), double{describe(Control::cutoffHz).maximum});
    for (const char* bad : {"", "Hz", "12 kHz", "nan", "1e3x", "soft"})
        EXPECT_FALSE(instance.fromText(cutoff, bad)) << bad;
    for (std::uint32_t capacity : {1u, 2u, 8u})
        EXPECT_EQ(instance.text(cutoff, 1000.0, capacity),
                  std::string("1000.0 Hz").substr(0, capacity - 1));
    EXPECT_FALSE(instance.text(cutoff, 1000.0, 0));
    EXPECT_FALSE(instance.text(controlCount, 0.0));
    EXPECT_FALSE(instance.fromText(controlCount, "1"));
    EXPECT_TRUE(instance.complaints().empty());
}

// Calls out of order are refused and change nothing: processing before activation, a second
// activation, rates no filter can run at.
TEST(ClapModule, CallsOutOfOrderAreRefused)
{
    ClapInstance instance(clapModule());
    const clap_plugin& p = instance.plugin();
    EXPECT_FALSE(p.start_processing(&p));
    clap_process nothing{};
    EXPECT_EQ(p.process(&p, &nothing), CLAP_PROCESS_ERROR);
    EXPECT_EQ(p.process(&p, nullptr), CLAP_PROCESS_ERROR);
    p.deactivate(&p);
    p.reset(&p);
    for (double rate : {0.0, -44100.0, 999.0, 2.0e6, std::nan("")})
        EXPECT_FALSE(p.activate(&p, rate, 1, 64)) << rate;
    instance.activate(44100.0);
    EXPECT_FALSE(p.activate(&p, 44100.0, 1, 64));
    EXPECT_EQ(p.process(&p, &nothing), CLAP_PROCESS_ERROR); // not started
    ASSERT_TRUE(p.start_processing(&p));
    EXPECT_FALSE(p.start_processing(&p));
    EXPECT_EQ(p.process(&p, &nothing), CLAP_PROCESS_ERROR); // no audio buffers
    p.stop_processing(&p);

    // Null where the standard allows none: refused, never followed.
    const auto* params = static_cast<const clap_plugin_params*>(p.get_extension(&p, "clap.params"));
    const auto* ports =
        static_cast<const clap_plugin_audio_ports*>(p.get_extension(&p, "clap.audio-ports"));
    const auto* state = static_cast<const clap_plugin_state*>(p.get_extension(&p, "clap.state"));
    double value = 0.0;
    char text[8];
    EXPECT_FALSE(params->get_info(&p, 0, nullptr));
    EXPECT_FALSE(params->get_value(&p, 0, nullptr));
    EXPECT_FALSE(params->value_to_text(&p, 0, 1.0, nullptr, 8));
    EXPECT_FALSE(params->text_to_value(&p, 0, nullptr, &value));
    EXPECT_FALSE(params->text_to_value(&p, 0, "1", nullptr));
    EXPECT_FALSE(ports->get(&p, 0, true, nullptr));
    EXPECT_FALSE(state->save(&p, nullptr));
    EXPECT_FALSE(state->load(&p, nullptr));
    params->flush(&p, nullptr, nullptr);
    EXPECT_EQ(params->count(nullptr), 0u);
    EXPECT_FALSE(params->value_to_text(nullptr, 0, 1.0, text, 8));
    const clap_input_events hollow{nullptr, nullptr, nullptr};
    params->flush(&p, &hollow, nullptr);
    EXPECT_FALSE(p.init(nullptr));
    EXPECT_EQ(p.process(nullptr, &nothing), CLAP_PROCESS_ERROR);
}

// Two instances at once, each processed on a thread of its own, give what one gives alone.
TEST(ClapModule, InstancesAreIndependentAcrossThreads)
{
    const StereoSignal signal = clapTestSignal(20000);
    const auto renderOne = [&](float cutoff) {
        ClapInstance instance(clapModule());
        instance.activate(48000.0);
        StereoSignal out;
        std::thread audio([&] {
            out = renderClap(instance, signal, 256, [&](std::size_t frame, ClapEventList& events) {
                if (frame == 0)
                    events.addParameter(0, idOf(Control::cutoffHz), cutoff);
            });
        });
        audio.join();
        EXPECT_TRUE(instance.complaints().empty());
        return out;
    };
    const StereoSignal alone = renderOne(700.0f);
    StereoSignal first, second;
    std::thread a([&] { first = renderOne(700.0f); });
    std::thread b([&] { second = renderOne(3000.0f); });
    a.join();
    b.join();
    EXPECT_TRUE(sameBits(first, alone));
    EXPECT_FALSE(sameBits(second, alone));
}

} // namespace
} // namespace sweepfilter::test
