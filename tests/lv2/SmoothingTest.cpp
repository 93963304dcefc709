#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "LinkedAdapter.h"
#include "Lv2TestHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

constexpr double pi = 3.141592653589793;
constexpr double rate = 44100.0;

// A sine faded in over 50 ms, so that its start adds nothing above 2 kHz of its own.
std::vector<float> fadedSine(double hz, double amplitude, std::size_t frames)
{
    std::vector<float> samples(frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const double fade = t < 0.05 ? 0.5 - 0.5 * std::cos(pi * t / 0.05) : 1.0;
        samples[i] = static_cast<float>(amplitude * fade * std::sin(2.0 * pi * hz * t));
    }
    return samples;
}

// The energy above 2 kHz from `from` on: an eighth-order Butterworth high-pass (four
// sections), which leaves a 220 Hz sine some 150 dB down, so what remains is what the
// filter's steps added.
double energyAbove2kHz(const std::vector<float>& signal, std::size_t from)
{
    std::vector<double> x(signal.begin(), signal.end());
    for (double q : {0.5098, 0.6013, 0.9000, 2.5629})
    {
        const double w = 2.0 * pi * 2000.0 / rate, alpha = std::sin(w) / (2.0 * q);
        const double c = std::cos(w), a0 = 1.0 + alpha;
        const double b0 = (1.0 + c) / 2.0 / a0, b1 = -(1.0 + c) / a0, a1 = -2.0 * c / a0,
                     a2 = (1.0 - alpha) / a0;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& v : x)
        {
            const double y = b0 * v + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = v;
            y2 = y1;
            y1 = y;
            v = y;
        }
    }
    double sum = 0.0;
    for (std::size_t i = from; i < x.size(); ++i)
        sum += x[i] * x[i];
    return sum;
}

double energyOf(const std::vector<float>& signal)
{
    double sum = 0.0;
    for (float v : signal)
        sum += double{v} * v;
    return sum;
}

// Renders `input` in blocks of `block`, setting the controls `automate(frame)` asks for at
// the start of each block; returns the left channel.
std::vector<float> renderAutomated(Session& session, const std::vector<float>& input,
                                   std::size_t block,
                                   const std::function<void(Session&, std::size_t)>& automate)
{
    std::vector<float> left(input.size()), right(input.size());
    for (std::size_t done = 0; done < input.size(); done += block)
    {
        const std::size_t frames = std::min(block, input.size() - done);
        automate(session, done);
        session.run(input.data() + done, input.data() + done, left.data() + done,
                    right.data() + done, static_cast<std::uint32_t>(frames));
    }
    return left;
}

struct Automation
{
    const char* name;
    std::function<void(Session&, std::size_t)> apply;
};

const Automation automations[] = {
    {"ramp 200 Hz to 5 kHz in 1 s",
     [](Session& s, std::size_t frame) {
         const double t = std::clamp(static_cast<double>(frame) / rate - 0.1, 0.0, 1.0);
         s.set(Control::cutoffHz, static_cast<float>(200.0 + 4800.0 * t));
     }},
    {"square 500 Hz / 4 kHz every 100 ms",
     [](Session& s, std::size_t frame) {
         s.set(Control::cutoffHz, (frame * 10 / 44100) % 2 == 0 ? 500.0f : 4000.0f);
     }},
    {"sweep 60 BPM, 1 note",
     [](Session& s, std::size_t) {
         s.set(Control::cutoffHz, 2500.0f);
         s.set(Control::modRangeHz, 2000.0f);
         s.set(Control::tempoBpm, 60.0f);
         s.set(Control::resolution, 1.0f);
     }},
};

// The clicks of a stepped cutoff, measured as the energy above 2 kHz of a 220 Hz sine through
// the filter at Q 0.9: 20 ms of smoothing takes at least 20 dB of it away, for stepped
// automation, ramps in blocks of any size and the sweep's own steps. A ramp set anew on every
// frame has no steps to take away: there both lie some 130 dB below the sine.
TEST(Smoothing, TakesTheZipperNoiseOutOfCutoffChanges)
{
    const std::vector<float> sine = fadedSine(220.0, 0.5, static_cast<std::size_t>(1.2 * rate));
    const double floor = 1e-12 * energyOf(sine); // -120 dB
    const auto measure = [&](float algorithm, const Automation& automation, std::size_t block,
                             float smoothing) {
        Session session(adapter(), rate);
        session.set(Control::qFactor, 0.9f);
        session.set(Control::algorithm, algorithm);
        session.set(Control::smoothingMs, smoothing);
        return energyAbove2kHz(renderAutomated(session, sine, block, automation.apply), 4410);
    };
    for (float algorithm : {0.0f, 1.0f})
        for (const Automation& automation : automations)
            for (std::size_t block : {1u, 64u, 1024u})
            {
                const double off = measure(algorithm, automation, block, 0.0f);
                const double on = measure(algorithm, automation, block, 20.0f);
                const double drop = 10.0 * std::log10(off / on);
                std::printf("%s, %s, blocks of %zu: %.1f dB (%.3g -> %.3g)\n",
                            algorithm == 0.0f ? "soft" : "hard", automation.name, block, drop, off,
                            on);
                EXPECT_TRUE(drop >= 20.0 || (off < floor && on < floor))
                    << automation.name << " " << block;
            }
}

double largestStep(const std::vector<float>& signal, std::size_t from, std::size_t to)
{
    double largest = 0.0;
    for (std::size_t i = from + 1; i < to; ++i)
        largest = std::max(largest, std::fabs(double{signal[i]} - signal[i - 1]));
    return largest;
}

// Switching the effect off and on again on a loud 1 kHz sine crossfades: no step from one
// frame to the next beyond the largest of the two signals it moves between, plus 1 %. While
// off the output is the input, bit for bit, and a session that starts off never fades.
TEST(Smoothing, BypassCrossfadesAndPassesTheInputWhileOff)
{
    constexpr std::size_t frames = 22050, off = 5000, on = 12000;
    std::vector<float> sine(frames);
    for (std::size_t i = 0; i < frames; ++i)
        sine[i] =
            static_cast<float>(0.9 * std::sin(2.0 * pi * 1000.0 * static_cast<double>(i) / rate));
    const auto render = [&](const std::function<bool(std::size_t)>& enabledAt) {
        Session session(adapter(), rate);
        session.set(Control::cutoffHz, 1000.0f);
        session.set(Control::qFactor, 0.9f);
        return renderAutomated(session, sine, 64, [&](Session& s, std::size_t frame) {
            s.set(Control::enabled, enabledAt(frame) ? 1.0f : 0.0f);
        });
    };
    const std::vector<float> effect = render([](std::size_t) { return true; });
    const std::vector<float> bypassed = render([](std::size_t) { return false; });
    const std::vector<float> toggled =
        render([](std::size_t frame) { return frame < off || frame >= on; });

    EXPECT_EQ(std::memcmp(bypassed.data(), sine.data(), frames * sizeof(float)), 0);
    const std::size_t faded = off + 64 + 221; // the block after the switch, then 5 ms
    EXPECT_EQ(
        std::memcmp(toggled.data() + faded, sine.data() + faded, (on - faded) * sizeof(float)), 0);
    const double allowed =
        1.01 * std::max(largestStep(sine, 0, frames), largestStep(effect, 1000, frames));
    std::printf("largest step: %.5f toggled, %.5f allowed\n", largestStep(toggled, 1000, frames),
                allowed);
    EXPECT_LE(largestStep(toggled, 1000, frames), allowed);
}

// Random glides over the whole range of Cutoff and Q, both filters, every rate and glide
// times from the shortest to the longest: noise in -1..1 never gives a non-finite or runaway
// output.
TEST(Smoothing, EveryGlideStaysStable)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const std::vector<float> in = noise(256, 5);
    std::vector<float> left(256), right(256);
    for (double r : {22050.0, 44100.0, 48000.0, 96000.0, 192000.0})
        for (float algorithm : {0.0f, 1.0f})
            for (float smoothing : {0.03f, 3.0f, 200.0f})
            {
                Session session(adapter(), r);
                session.set(Control::algorithm, algorithm);
                session.set(Control::smoothingMs, smoothing);
                double largest = 0.0;
                for (int block = 0; block < 200; ++block)
                {
                    session.set(Control::cutoffHz,
                                104.5f * std::pow(190.0f, unit(random))); // up to 20 kHz
                    session.set(Control::qFactor, 0.99f * unit(random));
                    session.set(Control::modRangeHz, unit(random) < 0.3f ? 5000.0f : 0.0f);
                    session.run(in.data(), in.data(), left.data(), right.data(), 256);
                    for (float y : left)
                        largest = std::max(largest, std::isfinite(y)
                                                        ? double{std::fabs(y)}
                                                        : std::numeric_limits<double>::infinity());
                }
                EXPECT_LT(largest, 1000.0) << r << " " << algorithm << " " << smoothing;
            }
}

// With smoothing, the sweep and stepped changes glide the same whatever the block size.
TEST(Smoothing, GlidesDoNotDependOnTheBlockSize)
{
    const std::vector<float> in = noise(4 * 4480, 4); // changes every 4480 = 7 x 640 frames
    const auto render = [&](float algorithm, std::size_t block) {
        Session session(adapter(), rate);
        session.set(Control::algorithm, algorithm);
        session.set(Control::smoothingMs, 20.0f);
        session.set(Control::modRangeHz, 1500.0f);
        session.set(Control::sendPercent, 50.0f);
        return renderAutomated(session, in, block, [](Session& s, std::size_t frame) {
            s.set(Control::cutoffHz, frame < 8960 ? 2000.0f : 6000.0f);
            s.set(Control::qFactor, frame < 4480 ? 0.2f : 0.9f);
            s.set(Control::sendPercent, frame < 13440 ? 50.0f : 0.0f);
        });
    };
    for (float algorithm : {0.0f, 1.0f})
    {
        const std::vector<float> whole = render(algorithm, 1);
        for (std::size_t block : {7u, 64u, 640u, 4480u})
        {
            const std::vector<float> got = render(algorithm, block);
            EXPECT_EQ(std::memcmp(got.data(), whole.data(), got.size() * sizeof(float)), 0)
                << algorithm << " " << block;
        }
    }
}

// A smoothing time outside 0..200 ms counts as the nearest end; NaN leaves the time as it
// was. Stepped automation shows the difference between any two times.
TEST(Smoothing, TimesOutsideTheRangeAreLimitedAndNaNIsIgnored)
{
    const std::vector<float> in = noise(44100, 9);
    const auto render = [&](float first, float later) {
        Session session(adapter(), rate);
        return renderAutomated(session, in, 512, [&](Session& s, std::size_t frame) {
            s.set(Control::smoothingMs, frame == 0 ? first : later);
            s.set(Control::cutoffHz, (frame / 2048) % 2 ? 500.0f : 4000.0f);
        });
    };
    struct Case
    {
        float first, later, sameAsFirst, sameAsLater;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN(),
                inf = std::numeric_limits<float>::infinity();
    for (const Case c : {Case{20.0f, nan, 20.0f, 20.0f}, Case{-5.0f, -inf, 0.0f, 0.0f},
                         Case{1e30f, inf, 200.0f, 200.0f}, Case{0.0f, 0.0f, 0.0f, 0.0f}})
    {
        const std::vector<float> got = render(c.first, c.later),
                                 expected = render(c.sameAsFirst, c.sameAsLater);
        EXPECT_EQ(std::memcmp(got.data(), expected.data(), got.size() * sizeof(float)), 0)
            << c.first << " " << c.later;
    }
    const std::vector<float> none = render(0.0f, 0.0f), some = render(20.0f, 20.0f);
    EXPECT_NE(std::memcmp(none.data(), some.data(), none.size() * sizeof(float)), 0);
}

} // namespace
} // namespace sweepfilter::test
