#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "FilterEffect.h"
#include "HostSyncScenarios.h"
#include "LinkedAdapter.h"
#include "Lv2Instance.h"
#include "Lv2TestHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

std::uint32_t sweepPosition(const Session& session)
{
    return instanceOf(session.handle())->effect().modulationTable().position();
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// |H(f)| of an impulse response.
double magnitude(const std::vector<float>& response, double hz, double rate)
{
    std::complex<double> sum = 0.0, phasor = 1.0;
    const std::complex<double> turn = std::polar(1.0, -2.0 * 3.141592653589793 * hz / rate);
    for (std::size_t n = 0; n < response.size(); ++n)
    {
        sum += double{response[n]} * phasor;
        phasor *= turn;
        if (n % 1024 == 1023)
            phasor /= std::abs(phasor); // keeps the rounding of the turns from adding up
    }
    return std::abs(sum);
}

std::vector<float> impulseResponse(double rate, float algorithm, float q)
{
    Session session(adapter(), rate);
    session.set(Control::cutoffHz, 1000.0f);
    session.set(Control::qFactor, q);
    session.set(Control::algorithm, algorithm);
    std::vector<float> impulse(static_cast<std::size_t>(rate), 0.0f);
    impulse[0] = 1.0f;
    return session.render(impulse, impulse, 4096)[0];
}

// The first frequency where the level falls 3 dB below the level at 0 Hz.
double minus3dB(const std::vector<float>& response, double rate)
{
    double low = 1.0, high = 10000.0;
    for (int i = 0; i < 40; ++i)
    {
        const double middle = std::sqrt(low * high);
        (magnitude(response, middle, rate) > std::sqrt(0.5) ? low : high) = middle;
    }
    return low;
}

double peak(const std::vector<float>& response, double rate)
{
    double best = 50.0;
    for (double hz = 50.0; hz < 5000.0; hz *= 1.02)
        if (magnitude(response, hz, rate) > magnitude(response, best, rate))
            best = hz;
    double low = best / 1.02, high = best * 1.02;
    for (int i = 0; i < 60; ++i)
    {
        const double a = low + (high - low) / 3.0, b = high - (high - low) / 3.0;
        (magnitude(response, a, rate) < magnitude(response, b, rate) ? low : high) =
            (magnitude(response, a, rate) < magnitude(response, b, rate) ? a : b);
    }
    return (low + high) / 2.0;
}

// Cutoff 1000 Hz means the same response at every rate: the soft filter's -3 dB point and
// the hard filter's resonant peak lie within 1 % of where they lie at 44.1 kHz.
TEST(ModernBehaviour, ResponsesLieWhereTheyLieAt44100)
{
    const double soft441 = minus3dB(impulseResponse(44100.0, 0.0f, 0.0f), 44100.0);
    const double hard441 = peak(impulseResponse(44100.0, 1.0f, 0.9f), 44100.0);
    std::printf("44100 Hz: soft -3 dB at %.2f Hz, hard peak at %.2f Hz\n", soft441, hard441);
    for (double rate : {22050.0, 48000.0, 88200.0, 96000.0, 192000.0})
    {
        const double soft = minus3dB(impulseResponse(rate, 0.0f, 0.0f), rate);
        const double hard = peak(impulseResponse(rate, 1.0f, 0.9f), rate);
        std::printf("%.0f Hz: soft -3 dB at %.2f Hz (%+.3f %%), hard peak at %.2f Hz (%+.3f %%)\n",
                    rate, soft, 100.0 * (soft / soft441 - 1.0), hard,
                    100.0 * (hard / hard441 - 1.0));
        EXPECT_NEAR(soft / soft441, 1.0, 0.01) << rate;
        EXPECT_NEAR(hard / hard441, 1.0, 0.01) << rate;
    }
}

struct Watch
{
    std::uint64_t frame = 0;
    std::vector<std::uint64_t> cycleStarts; // frames at which entry 0 had just been read
};

// Runs `frames` of noise in blocks of `block`, noting where each sweep cycle starts;
// `events(frame)` gives the positions for the block starting at `frame`.
void runWatching(Session& session, Watch& run, std::uint64_t frames, std::uint32_t block,
                 const std::function<std::vector<Position>(std::uint64_t)>& events = {})
{
    const std::vector<float> in = noise(block, 3);
    std::vector<float> out(block);
    std::uint32_t last = sweepPosition(session);
    for (std::uint64_t end = run.frame + frames; run.frame < end; run.frame += block)
    {
        session.run(in.data(), in.data(), out.data(), out.data(), block,
                    events ? events(run.frame) : std::vector<Position>{});
        const std::uint32_t now = sweepPosition(session);
        if (now == 1 && last != 1)
            run.cycleStarts.push_back(run.frame + block);
        last = now;
    }
}

// Free-running, a sweep cycle lasts 60 / BPM * Resolution seconds within one step (2.27 ms)
// at every rate.
TEST(ModernBehaviour, TheSweepsPeriodIsTrueInSeconds)
{
    const double step = 100.0 / 44100.0;
    for (double rate : {22050.0, 44100.0, 48000.0, 96000.0, 192000.0})
        for (auto [bpm, notes] : {std::pair{120.0f, 4.0f}, {200.0f, 1.0f}, {77.0f, 3.0f}})
        {
            Session session(adapter(), rate);
            session.set(Control::modRangeHz, 900.0f);
            session.set(Control::tempoBpm, bpm);
            session.set(Control::resolution, notes);
            Watch run;
            const double period = 60.0 / bpm * notes;
            runWatching(session, run, static_cast<std::uint64_t>(rate * period * 4.5), 8);
            ASSERT_GE(run.cycleStarts.size(), 4u) << rate;
            double longest = 0.0;
            for (std::size_t i = 1; i < run.cycleStarts.size(); ++i)
            {
                const double measured =
                    static_cast<double>(run.cycleStarts[i] - run.cycleStarts[i - 1]) / rate;
                EXPECT_NEAR(measured, period, step) << rate << " Hz, " << bpm << " BPM";
                longest = std::max(longest, measured);
            }
            std::printf(
                "%.0f Hz, %.0f BPM over %.0f notes: period %.5f s (60/BPM x notes: %.5f s)\n", rate,
                double{bpm}, double{notes}, longest, period);
        }
}

// A host automating Cutoff, Mod Range and Tempo every block does not hold the sweep back: its
// cycles keep their length (the automation here moves each by a hair and back).
TEST(ModernBehaviour, AutomationKeepsTheSweepGoing)
{
    const double rate = 48000.0, period = 60.0 / 150.0 * 2.0;
    Session session(adapter(), rate);
    session.set(Control::modRangeHz, 900.0f);
    session.set(Control::tempoBpm, 150.0f);
    session.set(Control::resolution, 2.0f);
    Watch run;
    runWatching(session, run, static_cast<std::uint64_t>(rate * period * 6.5), 64,
                [&](std::uint64_t start) {
                    const bool odd = (start / 64) % 2 == 1;
                    session.set(Control::cutoffHz, odd ? 2001.0f : 2000.0f);
                    session.set(Control::modRangeHz, odd ? 901.0f : 900.0f);
                    session.set(Control::tempoBpm, odd ? 150.01f : 150.0f);
                    return std::vector<Position>{};
                });
    ASSERT_GE(run.cycleStarts.size(), 5u);
    for (std::size_t i = 1; i < run.cycleStarts.size(); ++i)
        EXPECT_NEAR(static_cast<double>(run.cycleStarts[i] - run.cycleStarts[i - 1]) / rate, period,
                    100.0 / 44100.0 + 64.0 / rate);
}

// The positions a transport sends within the block starting at `start`.
std::vector<Position> eventsIn(const Transport& t, std::uint64_t start, std::uint32_t block)
{
    std::vector<Position> events;
    for (const Transport::Segment& s : t.segments)
        if (s.frame >= start && s.frame < start + block)
            events.push_back(
                {static_cast<std::int64_t>(s.frame - start), s.beat, s.bpm, s.speed, s.asBeat});
    return events;
}

// With Sync Host the host's position drives the sweep: one cycle per Resolution beats, each
// starting within a step of a multiple of Resolution beats, at a steady tempo for ten minutes,
// across a tempo change, a relocation and loops.
TEST(ModernBehaviour, HostSyncStartsEveryCycleOnItsBeat)
{
    const std::uint32_t block = 16;
    for (const SyncScenario& scenario : syncScenarios())
    {
        const Transport t{scenario.segments, syncRate};
        Session session(adapter(), syncRate);
        session.set(Control::modRangeHz, 900.0f);
        session.set(Control::resolution, static_cast<float>(syncNotes));
        session.set(Control::sync, 1.0f);
        Watch run;
        runWatching(session, run, scenario.frames, block,
                    [&](std::uint64_t start) { return eventsIn(t, start, block); });
        expectCyclesOnTheBeat(scenario, run.cycleStarts, block);
    }
}

// Stopped (speed 0), the sweep runs on from where it stands at the last tempo the host sent;
// positions the sweep cannot use (no tempo, a tempo of 0, NaN or infinite values) change
// nothing.
TEST(ModernBehaviour, AStoppedHostLetsTheSweepRunOnAndBadPositionsAreIgnored)
{
    const double rate = 48000.0, notes = 2.0, bpm = 150.0;
    Session session(adapter(), rate);
    session.set(Control::modRangeHz, 900.0f);
    session.set(Control::resolution, static_cast<float>(notes));
    session.set(Control::sync, 1.0f);
    Watch run;
    runWatching(session, run, 200000, 16, [&](std::uint64_t start) {
        if (start == 0)
            return std::vector<Position>{{0, 0.0, bpm, 1.0}};
        if (start == 100000)
            return std::vector<Position>{{0, 100000 * bpm / 60.0 / rate, bpm, 0.0}};
        return std::vector<Position>{};
    });
    const std::size_t rolling = std::count_if(run.cycleStarts.begin(), run.cycleStarts.end(),
                                              [](auto f) { return f <= 100000; });
    ASSERT_GE(run.cycleStarts.size() - rolling, 3u);
    for (std::size_t i = rolling + 1; i < run.cycleStarts.size(); ++i)
        EXPECT_NEAR(static_cast<double>(run.cycleStarts[i] - run.cycleStarts[i - 1]) / rate,
                    60.0 / bpm * notes, 100.0 / 44100.0);

    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    const std::vector<Position> ignored[] = {
        {{5, 3.0, {}, 1.0}}, // a position without any tempo known yet
        {{5, 3.0, 0.0, 1.0}},   {{5, 3.0, -120.0, 1.0}}, {{5, 3.0, nan, 1.0}},
        {{5, 3.0, inf, 1.0}},   {{5, nan, 120.0, 1.0}},  {{5, inf, 120.0, 1.0}},
        {{5, 3.0, 120.0, nan}},
    };
    const auto free = [&](const std::vector<Position>& events) {
        Session s(adapter(), rate);
        s.set(Control::modRangeHz, 900.0f);
        s.set(Control::sync, 1.0f);
        const auto signal = noise(30000, 8);
        std::vector<float> left(signal.size()), right(signal.size());
        s.run(signal.data(), signal.data(), left.data(), right.data(), 64, events);
        s.run(signal.data() + 64, signal.data() + 64, left.data() + 64, right.data() + 64,
              static_cast<std::uint32_t>(signal.size() - 64));
        return left;
    };
    const auto expected = free({});
    for (const auto& events : ignored)
        EXPECT_TRUE(sameBits(free(events), expected));
}

// Two renders of the same session give the same bits whatever the host ran before the
// timeline started: here 0 or 90 blocks of silence, with the transport stopped or unknown.
TEST(ModernBehaviour, HostSyncedRendersDoNotDependOnWhatCameBefore)
{
    const double rate = 48000.0;
    const auto render = [&](int silentBlocks, bool stoppedBefore, float algorithm) {
        Session session(adapter(), rate);
        session.set(Control::cutoffHz, 1500.0f);
        session.set(Control::qFactor, 0.8f);
        session.set(Control::algorithm, algorithm);
        session.set(Control::modRangeHz, 1200.0f);
        session.set(Control::resolution, 1.0f);
        session.set(Control::sendPercent, 20.0f);
        session.set(Control::sync, 1.0f);
        std::vector<float> silence(1024, 0.0f), out(1024);
        for (int b = 0; b < silentBlocks; ++b)
            session.run(silence.data(), silence.data(), out.data(), out.data(), 1024,
                        stoppedBefore && b == 0 ? std::vector<Position>{{0, 0.0, 97.0, 0.0}}
                                                : std::vector<Position>{});
        const auto left = chord(48000, 48000.0f), right = noise(48000, 2);
        std::array<std::vector<float>, 2> result{std::vector<float>(48000),
                                                 std::vector<float>(48000)};
        for (std::size_t done = 0; done < left.size(); done += 1000)
            session.run(left.data() + done, right.data() + done, result[0].data() + done,
                        result[1].data() + done, 1000,
                        done == 0 ? std::vector<Position>{{0, 0.0, 123.0, 1.0}}
                                  : std::vector<Position>{});
        return result;
    };
    for (float algorithm : {0.0f, 1.0f})
    {
        const auto reference = render(0, false, algorithm);
        for (auto [blocks, stopped] : {std::pair{90, false}, {90, true}, {89, true}})
        {
            const auto other = render(blocks, stopped, algorithm);
            EXPECT_TRUE(sameBits(other[0], reference[0]) && sameBits(other[1], reference[1]))
                << "algorithm " << algorithm << ", " << blocks << " blocks before";
        }
    }
}

} // namespace
} // namespace sweepfilter::test
