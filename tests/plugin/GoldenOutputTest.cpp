#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
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

enum Parameter : int
{
    cutoff,
    qFactor,
    algorithm,
    modRange,
    tempo,
    resolution,
    sendFlanger,
    flangerDelay
};

struct Segment
{
    const char* what;
    std::int32_t program; // -1 keeps the current one
    std::vector<std::pair<Parameter, float>> changes;
    std::size_t frames;
    std::int32_t block;
    std::uint64_t checksum; // of this segment's output, left then right
};

// A fixed scenario of about four seconds at 44.1 kHz: several programs, both algorithms, the
// sweep at different tempi and ranges, the flanger send, parameter changes between blocks.
// The checksums are pinned: any change to the effect's arithmetic shows here, in the segment
// whose settings it touches. Do not re-pin without knowing why the bits moved; to re-pin,
// run the test with SWEEPFILTER_PRINT_GOLDEN=1, which prints the checksums in this form, and
// say why in the commit.
// One segment a row.
// clang-format off
const std::vector<Segment> scenario = {
    {"defaults", 0, {}, 22050, 512, 0x56f40dd30e11116eull},
    {"soft, lower cutoff, high Q", -1, {{cutoff, 0.45f}, {qFactor, 0.95f}}, 11025, 333,
     0xb39041cd0dd7832eull},
    {"program 3: soft sweep", 3,
     {{cutoff, 0.7f}, {modRange, 0.6f}, {tempo, 0.5f}, {resolution, 0.3f}}, 22050, 1024,
     0x91fe35d5f3016f5aull},
    {"hard sweep", -1, {{algorithm, 1.0f}, {qFactor, 0.9f}}, 22050, 64, 0x3f2a3b724fd28f43ull},
    {"hard sweep, low cutoff, send", -1,
     {{cutoff, 0.2f}, {sendFlanger, 0.5f}, {flangerDelay, 0.37f}}, 11025, 4096,
     0xc30bbaa7e25c36c6ull},
    {"program 7: hard, fastest sweep, long delay", 7,
     {{algorithm, 1.0f}, {cutoff, 0.9f}, {modRange, 1.0f}, {tempo, 1.0f}, {resolution, 0.0f},
      {sendFlanger, 0.8f}, {flangerDelay, 1.0f}}, 22050, 100, 0x38a99e35872083b1ull},
    {"back to program 3", 3, {}, 11025, 777, 0x732fa9326441a2c7ull},
    {"soft, sweep and send off", -1,
     {{algorithm, 0.0f}, {modRange, 0.0f}, {sendFlanger, 0.0f}}, 11025, 512,
     0xa3ec1c69e83942c9ull},
    {"program 0 with a send, one-frame blocks", 0, {{sendFlanger, 0.3f}, {flangerDelay, 0.0f}},
     11025, 1, 0x865d43b96dde5f94ull},
    {"program 7 again, full Q, slow sweep", 7, {{qFactor, 1.0f}, {modRange, 0.25f}}, 22050,
     2048, 0x2ca21d08a6bdff25ull},
};
// clang-format on

TEST(GoldenOutput, ScenarioChecksumsAreUnchanged)
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

    const bool print = std::getenv("SWEEPFILTER_PRINT_GOLDEN") != nullptr;
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
        const auto begin = static_cast<std::ptrdiff_t>(position);
        const auto end = static_cast<std::ptrdiff_t>(position + segment.frames);
        Checksum checksum;
        checksum.add({output.left.begin() + begin, output.left.begin() + end});
        checksum.add({output.right.begin() + begin, output.right.begin() + end});
        double peak = 0.0;
        for (auto i = begin; i < end; ++i)
            peak = std::max({peak, std::fabs(double{output.left[static_cast<std::size_t>(i)]}),
                             std::fabs(double{output.right[static_cast<std::size_t>(i)]})});
        if (print)
            std::printf("    segment \"%s\": 0x%016llxull\n", segment.what,
                        static_cast<unsigned long long>(checksum.value));
        EXPECT_EQ(checksum.value, segment.checksum)
            << "segment \"" << segment.what << "\" (frames " << position << " to "
            << position + segment.frames << ", peak " << peak << ") gives 0x" << std::hex
            << checksum.value;
        position += segment.frames;
    }
    effect.suspend();

    // The whole output, as pinned before the segments were: the two must move together.
    Checksum whole;
    whole.add(output.left);
    whole.add(output.right);
    EXPECT_EQ(whole.value, 0xa2018eb55b77ade8ull)
        << std::hex << "actual checksum 0x" << whole.value;
    for (std::size_t i = 0; i < total; ++i)
        ASSERT_TRUE(std::isfinite(output.left[i]) && std::isfinite(output.right[i])) << i;
}

} // namespace
} // namespace sweepfilter::test
