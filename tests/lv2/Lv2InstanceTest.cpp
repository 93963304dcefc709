#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "Lv2TestHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

struct Setting
{
    const char* what;
    std::vector<std::pair<Control, float>> values;
};

// Settings that reach every part of the effect: both filters, the sweep, the send.
const Setting settings[] = {
    {"defaults", {}},
    {"soft sweep",
     {{Control::cutoffHz, 2000.0f},
      {Control::qFactor, 0.85f},
      {Control::modRangeHz, 1080.0f},
      {Control::tempoBpm, 200.0f},
      {Control::resolution, 1.0f}}},
    {"hard sweep with send",
     {{Control::cutoffHz, 2538.86f},
      {Control::qFactor, 0.9f},
      {Control::algorithm, 1.0f},
      {Control::modRangeHz, 2060.0f},
      {Control::resolution, 1.0f},
      {Control::sendPercent, 30.0f},
      {Control::delaySamples, 25.0f}}},
};

std::array<std::vector<float>, 2> render(const LV2_Descriptor* d, double rate,
                                         const Setting& setting, float behaviour,
                                         std::size_t frames, std::size_t block)
{
    Session session(d, rate);
    EXPECT_NE(session.handle(), nullptr) << rate;
    for (auto [control, value] : setting.values)
        session.set(control, value);
    session.set(Control::behaviour, behaviour);
    return session.render(chord(frames), noise(frames, 7), block);
}

TEST(Lv2Instance, TheLibraryDescribesOnePlugin)
{
    BundleLibrary library;
    const LV2_Descriptor* descriptor = library.descriptor(0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_STREQ(descriptor->URI, "urn:sweepfilter:lv2");
    EXPECT_EQ(library.descriptor(1), nullptr);
    EXPECT_EQ(descriptor->extension_data("urn:anything"), nullptr);
    EXPECT_EQ(descriptor->extension_data(LV2_URID__map), nullptr);
}

// Any host rate from 1 kHz to 1 MHz, with no features at all; a rate the effect cannot run at
// is refused at instantiation.
TEST(Lv2Instance, InstantiatesAtHostRatesAndRefusesUnusableOnes)
{
    BundleLibrary library;
    const LV2_Descriptor* d = library.descriptor(0);
    const double inf = std::numeric_limits<double>::infinity();
    for (double rate : {1000.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 1.0e6})
    {
        Session session(d, rate, false);
        ASSERT_NE(session.handle(), nullptr) << rate;
        session.set(Control::modRangeHz, 2000.0f);
        session.set(Control::sync, 1.0f); // no map: the sweep runs free
        const auto out = session.render(noise(4096, 1), noise(4096, 2), 512);
        EXPECT_TRUE(std::all_of(out[0].begin(), out[0].end(), [](float x) {
            return std::isfinite(x);
        })) << rate;
    }
    for (double rate :
         {0.0, -44100.0, 999.0, 1.0e6 + 1.0, inf, -inf, std::numeric_limits<double>::quiet_NaN()})
    {
        LV2_Handle handle = d->instantiate(d, rate, "", nullptr);
        EXPECT_EQ(handle, nullptr) << rate;
        if (handle)
            d->cleanup(handle);
    }
}

// Classic is the 2.0 plug-in's sound at every rate; Modern gives the same bits at 44.1 kHz.
TEST(Lv2Instance, ClassicIsTheSameAtEveryRateAndModernMatchesItAt44100)
{
    BundleLibrary library;
    for (const Setting& setting : settings)
    {
        const auto classic = render(library.descriptor(), 44100.0, setting, 1.0f, 30000, 512);
        const auto modern = render(library.descriptor(), 44100.0, setting, 0.0f, 30000, 512);
        EXPECT_TRUE(sameBits(modern[0], classic[0]) && sameBits(modern[1], classic[1]))
            << setting.what;
        for (double rate : {22050.0, 48000.0, 96000.0, 192000.0})
        {
            const auto other = render(library.descriptor(), rate, setting, 1.0f, 30000, 512);
            EXPECT_TRUE(sameBits(other[0], classic[0]) && sameBits(other[1], classic[1]))
                << setting.what << " at " << rate;
        }
    }
}

// Hosts hand every port on every block, and choose the block sizes: neither changes the sound.
// NaN leaves a control as it was.
TEST(Lv2Instance, BlockSizesAndRepeatedPortsDoNotChangeTheSound)
{
    BundleLibrary library;
    for (float behaviour : {0.0f, 1.0f})
        for (double rate : {44100.0, 48000.0})
            for (const Setting& setting : settings)
            {
                const auto whole =
                    render(library.descriptor(), rate, setting, behaviour, 20000, 20000);
                for (std::size_t block : {1u, 37u, 64u, 4096u})
                {
                    const auto split =
                        render(library.descriptor(), rate, setting, behaviour, 20000, block);
                    EXPECT_TRUE(sameBits(split[0], whole[0]) && sameBits(split[1], whole[1]))
                        << setting.what << " behaviour " << behaviour << " at " << rate
                        << " in blocks of " << block;
                }
            }
    Session withNaN(library.descriptor(), 44100.0), without(library.descriptor(), 44100.0);
    without.set(Control::qFactor, 0.3f);
    withNaN.set(Control::qFactor, 0.3f);
    withNaN.render(noise(64, 1), noise(64, 2), 64);
    withNaN.set(Control::qFactor, std::numeric_limits<float>::quiet_NaN());
    without.render(noise(64, 1), noise(64, 2), 64);
    EXPECT_TRUE(sameBits(withNaN.render(chord(5000), noise(5000, 3), 64)[0],
                         without.render(chord(5000), noise(5000, 3), 64)[0]));
}

// Input and output may be the same buffers.
TEST(Lv2Instance, InPlaceBuffersGiveTheSameOutput)
{
    BundleLibrary library;
    Session separate(library.descriptor(), 48000.0), inPlace(library.descriptor(), 48000.0);
    for (Session* s : {&separate, &inPlace})
        for (auto [control, value] : settings[2].values)
            s->set(control, value);
    const auto left = chord(8192), right = noise(8192, 5);
    const auto expected = separate.render(left, right, 256);
    std::vector<float> l = left, r = right;
    for (std::size_t done = 0; done < l.size(); done += 256)
        inPlace.run(l.data() + done, r.data() + done, l.data() + done, r.data() + done, 256);
    EXPECT_TRUE(sameBits(l, expected[0]) && sameBits(r, expected[1]));
}

// Ports left unconnected and empty runs change nothing and do not crash.
TEST(Lv2Instance, MissingPortsAndEmptyRunsAreHarmless)
{
    BundleLibrary library;
    const LV2_Descriptor* d = library.descriptor(0);
    LV2_Handle handle = d->instantiate(d, 48000.0, "", nullptr);
    ASSERT_NE(handle, nullptr);
    d->activate(handle);
    d->run(handle, 256); // nothing connected at all
    std::vector<float> in = noise(256, 3), out(256, 0.5f);
    d->connect_port(handle, 0, in.data());
    d->connect_port(handle, 2, out.data());
    d->connect_port(handle, 3, nullptr);
    d->connect_port(handle, 99, in.data()); // no such port
    d->run(handle, 256);
    d->run(handle, 0);
    EXPECT_EQ(out, std::vector<float>(256, 0.5f));
    d->cleanup(handle);
}

// The sound depends on the controls' values, not on the order they reached them in: the
// same final values, reached through random detours in random orders, give the same bits.
TEST(Lv2Instance, TheSoundDependsOnTheValuesNotTheOrder)
{
    BundleLibrary library;
    std::mt19937 random(20261209);
    const Setting& final = settings[2];
    for (float behaviour : {0.0f, 1.0f})
    {
        std::vector<float> first;
        for (int attempt = 0; attempt < 12; ++attempt)
        {
            Session session(library.descriptor(), 48000.0);
            session.set(Control::behaviour, behaviour);
            // Each control moves twice, first to a random detour, then to its final value;
            // the sixteen moves come in a random order.
            std::vector<Control> order;
            for (int k = 0; k < parameterControlCount; ++k)
                order.insert(order.end(), 2, static_cast<Control>(k));
            std::shuffle(order.begin(), order.end(), random);
            std::vector<bool> moved(parameterControlCount);
            float silence[1] = {0.0f}, out[2][1];
            for (Control control : order)
            {
                const ControlDescription& d = describe(control);
                float value = d.defaultValue;
                for (auto [c, v] : final.values)
                    if (c == control)
                        value = v;
                if (!moved[static_cast<std::size_t>(control)])
                    value = std::uniform_real_distribution<float>(d.minimum, d.maximum)(random);
                moved[static_cast<std::size_t>(control)] = true;
                session.set(control, value);
                session.run(silence, silence, out[0], out[1], 0);
            }
            const auto output = session.render(chord(20000), noise(20000, 9), 256)[0];
            if (first.empty())
                first = output;
            EXPECT_TRUE(sameBits(output, first))
                << "behaviour " << behaviour << ", order " << attempt;
        }
    }
}

// Activation starts from a new instance's state: run, deactivate, activate, run gives what a
// new instance gives, with every unit that keeps state in use.
TEST(Lv2Instance, ActivationRestartsAsANewInstance)
{
    BundleLibrary library;
    const LV2_Descriptor* d = library.descriptor(0);
    for (float behaviour : {0.0f, 1.0f})
        for (const Setting& setting : settings)
        {
            const auto fresh = render(d, 48000.0, setting, behaviour, 10000, 333);
            Session used(d, 48000.0);
            for (auto [control, value] : setting.values)
                used.set(control, value);
            used.set(Control::behaviour, behaviour);
            used.set(Control::sync, 1.0f);
            used.render(noise(7777, 4), chord(7777), 100);
            used.set(Control::sync, 0.0f);
            if (d->deactivate)
                d->deactivate(used.handle());
            d->activate(used.handle());
            const auto again = used.render(chord(10000), noise(10000, 7), 333);
            EXPECT_TRUE(sameBits(again[0], fresh[0]) && sameBits(again[1], fresh[1]))
                << setting.what << " behaviour " << behaviour;
        }
}

} // namespace
} // namespace sweepfilter::test
