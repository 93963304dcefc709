#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <vector>

#include "PluginHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

// FNV-1a over the bit patterns of every output sample.
struct Checksum
{
    std::uint64_t value = 14695981039346656037ull;
    void add(const std::vector<float>& samples)
    {
        for (float sample : samples)
        {
            std::uint32_t bits = std::bit_cast<std::uint32_t>(sample);
            for (int byte = 0; byte < 4; ++byte, bits >>= 8)
                value = (value ^ (bits & 0xFFu)) * 1099511628211ull;
        }
    }
};

struct Segment
{
    std::int32_t program; // -1 keeps the current one
    std::vector<std::pair<int, float>> changes;
    std::size_t frames;
    std::int32_t block;
};

// A fixed scenario of about four seconds at 44.1 kHz: several programs, both algorithms, the
// sweep at different tempi and ranges, the flanger send, parameter changes between blocks.
const std::vector<Segment> scenario = {
    {0, {}, 22050, 512},
    {-1, {{0, 0.45f}, {1, 0.95f}}, 11025, 333},
    {3, {{0, 0.7f}, {3, 0.6f}, {4, 0.5f}, {5, 0.3f}}, 22050, 1024},
    {-1, {{2, 1.0f}, {1, 0.9f}}, 22050, 64},
    {-1, {{0, 0.2f}, {6, 0.5f}, {7, 0.37f}}, 11025, 4096},
    {7, {{2, 1.0f}, {0, 0.9f}, {3, 1.0f}, {4, 1.0f}, {5, 0.0f}, {6, 0.8f}, {7, 1.0f}}, 22050, 100},
    {3, {}, 11025, 777},
    {-1, {{2, 0.0f}, {3, 0.0f}, {6, 0.0f}}, 11025, 512},
    {0, {{6, 0.3f}, {7, 0.0f}}, 11025, 1},
    {7, {{1, 1.0f}, {3, 0.25f}}, 22050, 2048},
};

TEST(GoldenOutput, ScenarioChecksumIsUnchanged)
{
    PluginLibrary library;
    HostedEffect effect(library);
    effect.open();
    effect.setSampleRate(44100.0f);
    effect.setBlockSize(512);
    effect.resume();

    std::size_t total = 0;
    for (const auto& segment : scenario)
        total += segment.frames;
    StereoSignal input(chord(total), noise(total, 2024));
    for (std::size_t i = 0; i < total; ++i)
        input.left[i] = 0.7f * input.left[i] + 0.3f * input.right[i];
    StereoSignal output(total);

    std::size_t position = 0;
    for (const auto& segment : scenario)
    {
        if (segment.program >= 0)
            effect.setProgram(segment.program);
        for (auto [index, value] : segment.changes)
            effect.setParameter(index, value);
        for (std::size_t done = 0; done < segment.frames;
             done += static_cast<std::size_t>(segment.block))
        {
            const auto frames = static_cast<std::int32_t>(std::min<std::size_t>(
                static_cast<std::size_t>(segment.block), segment.frames - done));
            effect.processReplace(input.buffers(position + done), output.buffers(position + done),
                                  frames);
        }
        position += segment.frames;
    }
    effect.suspend();

    Checksum checksum;
    checksum.add(output.left);
    checksum.add(output.right);
    // Pinned: any change to the effect's arithmetic shows here. Do not re-pin without knowing
    // why the bits moved.
    EXPECT_EQ(checksum.value, 0xa2018eb55b77ade8ull)
        << std::hex << "actual checksum 0x" << checksum.value;
    for (std::size_t i = 0; i < total; ++i)
        ASSERT_TRUE(std::isfinite(output.left[i]) && std::isfinite(output.right[i])) << i;
}

} // namespace
} // namespace sweepfilter::test
