#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace sweepfilter::test
{

// The host's transport, as a test host plays it: positions from given frames on, and the beat
// at any frame as the host counts it.
struct Transport
{
    struct Segment
    {
        std::uint64_t frame;
        double beat, bpm, speed;
        bool asBeat = false; // LV2: sent as time:beat rather than bar and beat within it
    };
    std::vector<Segment> segments;
    double rate;

    const Segment& segmentAt(std::uint64_t frame) const
    {
        const Segment* s = &segments.front();
        for (const Segment& candidate : segments)
            if (candidate.frame <= frame)
                s = &candidate;
        return *s;
    }
    double beatAt(std::uint64_t frame) const
    {
        const Segment& s = segmentAt(frame);
        return s.beat + static_cast<double>(frame - s.frame) * s.speed * s.bpm / 60.0 / rate;
    }
    bool startsSegment(std::uint64_t frame) const { return segmentAt(frame).frame == frame; }
};

// Sessions a host-synced sweep must follow at 48 kHz over 4 beats per cycle: a steady tempo for
// ten minutes, a tempo change, a relocation and loops.
struct SyncScenario
{
    const char* what;
    std::vector<Transport::Segment> segments;
    std::uint64_t frames;
};
inline constexpr double syncRate = 48000.0, syncNotes = 4.0;
inline const std::vector<SyncScenario>& syncScenarios()
{
    static const std::vector<SyncScenario> scenarios = {
        {"steady 100 BPM for 10 minutes", {{0, 0.0, 100.0, 1.0}}, 28800000},
        // 500000 frames at 100 BPM are 17.3611 beats.
        {"tempo change", {{0, 0.0, 100.0, 1.0}, {500000, 500000 / 28800.0, 137.0, 1.0}}, 2880000},
        {"relocation", {{0, 0.0, 120.0, 1.0}, {300001, 37.3, 120.0, 1.0, true}}, 2880000},
        {"loop from beat 8 to 14.5",
         {{0, 8.0, 90.0, 1.0}, {208000, 8.0, 90.0, 1.0}, {416000, 8.0, 90.0, 1.0}},
         624000},
    };
    return scenarios;
}

// Every cycle starts within one sweep step of a multiple of the cycle's beats, and one starts
// at each such multiple the host's beat reaches (by moving on, or by a position that lands
// exactly on one). `cycleStarts` are the ends of the blocks in which a cycle's first step fell.
inline void expectCyclesOnTheBeat(const SyncScenario& scenario,
                                  const std::vector<std::uint64_t>& cycleStarts,
                                  std::uint32_t block)
{
    const Transport t{scenario.segments, syncRate};
    const double notes = syncNotes, step = 100.0 / 44100.0;
    std::size_t boundaries = 0;
    for (std::uint64_t f = 0; f < scenario.frames; ++f)
        boundaries += t.startsSegment(f)
                          ? std::remainder(t.beatAt(f), notes) == 0.0
                          : std::floor(t.beatAt(f) / notes) > std::floor(t.beatAt(f - 1) / notes);
    EXPECT_EQ(cycleStarts.size(), boundaries) << scenario.what;
    double worst = 0.0;
    for (std::uint64_t end : cycleStarts)
    {
        double nearest = notes;
        for (std::uint64_t f = end - block; f < end; ++f)
            nearest = std::min(nearest, std::fabs(std::remainder(t.beatAt(f), notes)));
        const double beatsPerStep = step * t.segmentAt(end - 1).bpm / 60.0;
        EXPECT_LE(nearest, beatsPerStep) << scenario.what << ": cycle start at frame " << end;
        worst = std::max(worst, nearest / beatsPerStep);
    }
    std::printf("%s: %zu cycle starts, each within %.3f steps of its beat\n", scenario.what,
                cycleStarts.size(), worst);
}

} // namespace sweepfilter::test
