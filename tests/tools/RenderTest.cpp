#include <gtest/gtest.h>

#include <bit>
#include <fstream>
#include <limits>
#include <map>

#include "PluginHost.h"
#include "TestSignals.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

// The effect run in this process frame by frame, the changes applied before their frame:
// what a render must produce whatever its block size.
Audio referenceRender(const Audio& input, const std::vector<std::pair<int, float>>& settings,
                      const std::multimap<std::size_t, std::pair<int, float>>& changes = {},
                      std::size_t tailFrames = 0)
{
    PluginLibrary library;
    HostedEffect effect(library);
    effect.open();
    effect.setSampleRate(static_cast<float>(input.sampleRate));
    effect.setBlockSize(1);
    for (auto [index, value] : settings)
        effect.setParameter(index, value);
    effect.resume();
    Audio output{2, input.sampleRate, {}};
    const std::size_t frames = input.frames() + tailFrames;
    for (std::size_t i = 0; i < frames; ++i)
    {
        const auto [first, last] = changes.equal_range(i);
        for (auto change = first; change != last; ++change)
            effect.setParameter(change->second.first, change->second.second);
        const auto at = i * static_cast<std::size_t>(input.channels);
        float left = i < input.frames() ? input.samples[at] : 0.0f;
        float right = i < input.frames() ? input.samples[at + (input.channels == 2 ? 1 : 0)] : 0.0f;
        float outLeft = 0.0f, outRight = 0.0f;
        float* inputs[2] = {&left, &right};
        float* outputs[2] = {&outLeft, &outRight};
        effect.processReplace(inputs, outputs, 1);
        output.samples.push_back(outLeft);
        output.samples.push_back(outRight);
    }
    return output;
}

Audio stereoTestSignal(std::size_t frames)
{
    Audio audio;
    const auto left = noise(frames, 77), right = chord(frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        audio.samples.push_back(0.5f * left[i]);
        audio.samples.push_back(right[i]);
    }
    return audio;
}

void expectSameBits(const Audio& actual, const Audio& expected)
{
    ASSERT_EQ(actual.channels, expected.channels);
    ASSERT_EQ(actual.sampleRate, expected.sampleRate);
    ASSERT_EQ(actual.samples.size(), expected.samples.size());
    for (std::size_t i = 0; i < actual.samples.size(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint32_t>(actual.samples[i]),
                  std::bit_cast<std::uint32_t>(expected.samples[i]))
            << "sample " << i;
}

const std::vector<std::string> settingArguments = {
    "--set", "cutoff=0.55",      "--set", "Q Factor=0.9", "--set", "2=1",
    "--set", "mod_range=0.4",    "--set", "tempo=1",      "--set", "send flanger=0.3",
    "--set", "FLANGER-DELAY=0.1"};
const std::vector<std::pair<int, float>> settingValues = {
    {0, 0.55f}, {1, 0.9f}, {2, 1.0f}, {3, 0.4f}, {4, 1.0f}, {6, 0.3f}, {7, 0.1f}};

std::vector<std::string> renderCommand(const std::string& in, const std::string& out,
                                       std::vector<std::string> extra)
{
    std::vector<std::string> command = {"render", in, out, "--plugin", SWEEPFILTER_PLUGIN_PATH};
    command.insert(command.end(), settingArguments.begin(), settingArguments.end());
    command.insert(command.end(), extra.begin(), extra.end());
    return command;
}

TEST(RenderCommand, EveryBlockSizeGivesTheInProcessResult)
{
    TestFolder folder;
    const Audio input = stereoTestSignal(30000);
    writeAudio(folder / "in.wav", input);
    const Audio expected = referenceRender(input, settingValues);
    for (const char* block : {"1", "64", "512", "4096"})
    {
        const ToolResult result =
            runTool(renderCommand(folder / "in.wav", folder / "out.wav", {"--block", block}));
        ASSERT_EQ(result.exitCode, 0) << result.errors;
        SCOPED_TRACE(block);
        expectSameBits(readAudio(folder / "out.wav"), expected);
    }
}

TEST(RenderCommand, AutomationLandsOnTheExactSample)
{
    TestFolder folder;
    Audio input = stereoTestSignal(20000);
    input.sampleRate = 40000; // so that 0.25 s is frame 10000
    writeAudio(folder / "in.wav", input);
    const ToolResult result = runTool(renderCommand(
        folder / "in.wav", folder / "out.wav",
        {"--automate", "cutoff@1001smp=0.2", "--automate", "algorithm@0.25s=0", "--automate",
         "send_flanger@0.25=0", "--automate", "0@19999smp=1", "--block", "300"}));
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    const Audio expected = referenceRender(
        input, settingValues,
        {{1001, {0, 0.2f}}, {10000, {2, 0.0f}}, {10000, {6, 0.0f}}, {19999, {0, 1.0f}}});
    expectSameBits(readAudio(folder / "out.wav"), expected);
}

TEST(RenderCommand, MonoInputFeedsBothChannelsAndTheTailRingsOut)
{
    TestFolder folder;
    Audio mono{1, 44100, noise(10000, 3)};
    writeAudio(folder / "mono.wav", mono);
    const ToolResult result = runTool(renderCommand(folder / "mono.wav", folder / "out.wav",
                                                    {"--tail", "0.5", "--block", "700"}));
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    const Audio output = readAudio(folder / "out.wav");
    EXPECT_EQ(output.frames(), 10000u + 22050u);
    expectSameBits(output, referenceRender(mono, settingValues, {}, 22050));
    // The tail carries the delayed send and the filter's ringing, then silence.
    EXPECT_NE(output.channel(0)[10005], 0.0f);
}

TEST(RenderCommand, AccumulatingEntryGivesTheSameSound)
{
    TestFolder folder;
    const Audio input = stereoTestSignal(5000);
    writeAudio(folder / "in.wav", input);
    ASSERT_EQ(runTool(renderCommand(folder / "in.wav", folder / "a.wav", {})).exitCode, 0);
    ASSERT_EQ(
        runTool(renderCommand(folder / "in.wav", folder / "b.wav", {"--accumulate"})).exitCode, 0);
    // Adding onto zeroed outputs turns -0.0 into +0.0 and changes nothing else.
    EXPECT_EQ(readAudio(folder / "a.wav").samples, readAudio(folder / "b.wav").samples);
}

TEST(RenderCommand, OutputFormatFollowsTheOptions)
{
    TestFolder folder;
    Audio input = stereoTestSignal(2000);
    input.sampleRate = 48000;
    writeAudio(folder / "in.flac", input, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    ASSERT_EQ(runTool(renderCommand(folder / "in.flac", folder / "float.wav", {})).exitCode, 0);
    ASSERT_EQ(
        runTool(renderCommand(folder / "in.flac", folder / "same.flac", {"--format", "input"}))
            .exitCode,
        0);
    ASSERT_EQ(
        runTool(renderCommand(folder / "in.flac", folder / "pcm24.aiff", {"--format", "pcm24"}))
            .exitCode,
        0);
    const auto formatOf = [&](const std::string& name) {
        SF_INFO info{};
        SNDFILE* file = sf_open((folder / name).c_str(), SFM_READ, &info);
        sf_close(file);
        EXPECT_EQ(info.samplerate, 48000) << name;
        EXPECT_EQ(info.channels, 2) << name;
        return info.format;
    };
    EXPECT_EQ(formatOf("float.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(formatOf("same.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(formatOf("pcm24.aiff"), SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
}

TEST(RenderCommand, NonFiniteInputIsRefusedOrRenderedAsZeroOnRequest)
{
    TestFolder folder;
    Audio input = stereoTestSignal(3000);
    Audio zeroed = input;
    for (std::size_t at : {10u, 11u, 2001u, 5999u})
    {
        input.samples[at] = at % 2 ? -std::numeric_limits<float>::infinity()
                                   : std::numeric_limits<float>::quiet_NaN();
        zeroed.samples[at] = 0.0f;
    }
    writeAudio(folder / "in.wav", input);
    const ToolResult result = runTool(renderCommand(folder / "in.wav", folder / "out.wav",
                                                    {"--zero-non-finite", "--block", "64"}));
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_NE(
        result.errors.find("rendered 4 non-finite input samples as zero, the first at frame 5"),
        std::string::npos)
        << result.errors;
    expectSameBits(readAudio(folder / "out.wav"), referenceRender(zeroed, settingValues));

    // From a pipe, which cannot be read twice, the refusal comes at the end: still no file.
    const ToolResult piped = runCommand(
        {"sh", "-c",
         quoted(SWEEPFILTER_TOOL_PATH) + " render /dev/stdin " + quoted(folder / "piped.wav") +
             " --plugin " + quoted(SWEEPFILTER_PLUGIN_PATH) + " < " + quoted(folder / "in.wav")});
    EXPECT_EQ(piped.exitCode, 3);
    EXPECT_NE(piped.errors.find("holds 4 non-finite samples"), std::string::npos) << piped.errors;
    EXPECT_FALSE(std::filesystem::exists(folder / "piped.wav"));
}

// A stream with a placeholder length (the tool's own AU output, read back from a pipe) is
// followed to its end: all of it rendered, the tail after it, and what depends on its length
// checked there (nothing is left when a change falls beyond it).
TEST(RenderCommand, AStreamIsFollowedToItsEnd)
{
    TestFolder folder;
    writeAudio(folder / "in.wav", Audio{2, 44100, noise(2 * 30000, 8)});
    const auto piped = [&](const std::string& out, const std::string& options) {
        const std::string tool = quoted(SWEEPFILTER_TOOL_PATH),
                          plugin = " --plugin " + quoted(SWEEPFILTER_PLUGIN_PATH);
        return runCommand({"sh", "-c",
                           tool + " render " + quoted(folder / "in.wav") + " - -q" + plugin +
                               " | " + tool + " render /dev/stdin " + quoted(folder / out) + " -q" +
                               plugin + " " + options});
    };
    struct Case
    {
        const char* out;
        const char* options;
        int exitCode;
        std::size_t frames; // 0: no file
        const char* message;
    };
    const Case cases[] = {
        {"all.wav", "", 0, 30000, "held 30000, all rendered"},
        {"tail.wav", "--tail 0.1", 0, 34410, "held 30000"},
        {"late.wav", "--automate cutoff@40000smp=0.5", 2, 0, "beyond the end (30000 frames)"},
    };
    for (const Case& c : cases)
    {
        const ToolResult result = piped(c.out, c.options);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.out << ": " << result.errors;
        EXPECT_NE(result.errors.find(c.message), std::string::npos)
            << c.out << ": " << result.errors;
        if (c.frames)
            EXPECT_EQ(readAudio(folder / c.out).frames(), c.frames) << c.out;
        else
            EXPECT_FALSE(std::filesystem::exists(folder / c.out));
    }

    // Two MP3 files joined end to end: the header states the first one's length only.
    std::string joined;
    for (const char* part : {"a.mp3", "b.mp3"})
    {
        ASSERT_EQ(runTool({"render", folder / "in.wav", folder / part, "-q"}).exitCode, 0);
        joined += readText(folder / part);
    }
    std::ofstream(folder / "joined.mp3", std::ios::binary) << joined;
    const ToolResult result =
        runTool({"render", folder / "joined.mp3", folder / "joined.wav", "-q"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_NE(result.errors.find("states 30000 frames; the stream held"), std::string::npos)
        << result.errors;
    EXPECT_GE(readAudio(folder / "joined.wav").frames(), 60000u);
    // From a pipe too, decoded by libmpg123 from its first byte.
    const ToolResult fromPipe =
        runCommand({"sh", "-c",
                    "cat " + quoted(folder / "joined.mp3") + " | " + quoted(SWEEPFILTER_TOOL_PATH) +
                        " render /dev/stdin " + quoted(folder / "piped.wav") + " -q --plugin " +
                        quoted(SWEEPFILTER_PLUGIN_PATH)});
    EXPECT_EQ(fromPipe.exitCode, 0) << fromPipe.errors;
    EXPECT_NE(fromPipe.errors.find("states 30000 frames; the stream held"), std::string::npos)
        << fromPipe.errors;
    EXPECT_EQ(readAudio(folder / "piped.wav").samples, readAudio(folder / "joined.wav").samples);
}

TEST(RenderCommand, AnEmptyInputWithATailRendersTheTail)
{
    TestFolder folder;
    const Audio empty{2, 44100, {}};
    writeAudio(folder / "empty.wav", empty);
    const ToolResult result =
        runTool(renderCommand(folder / "empty.wav", folder / "out.wav", {"--tail", "0.1"}));
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    expectSameBits(readAudio(folder / "out.wav"), referenceRender(empty, settingValues, {}, 4410));
}

TEST(RenderCommand, VersionNamesTheToolAndThePlugin)
{
    const ToolResult result = runTool({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output.rfind("sweepfilter " SWEEPFILTER_TOOL_VERSION "\n", 0), 0u)
        << result.output;
    EXPECT_NE(result.output.find("version 1, unique id"), std::string::npos) << result.output;
}

TEST(DemoCommand, WritesItsFilesAndListing)
{
    TestFolder folder;
    const ToolResult result =
        runTool({"demo", folder / "demo", "--plugin", SWEEPFILTER_PLUGIN_PATH, "--quiet"});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    const std::string listing = readText(folder / "demo/listing.txt");
    for (const char* name : {"00-input.wav", "01-default.wav", "02-soft-sweep.wav",
                             "03-hard-sweep.wav", "04-hard-static.wav", "05-flanger-send.wav"})
    {
        EXPECT_NE(listing.find(name), std::string::npos) << name;
        const Audio audio = readAudio(folder / ("demo/" + std::string(name)));
        EXPECT_GT(audio.frames(), 44100u * 5 - 1) << name;
        float peak = 0.0f;
        for (float sample : audio.samples)
            peak = std::max(peak, std::fabs(sample));
        EXPECT_GT(peak, 0.01f) << name;
        EXPECT_LT(peak, 1.0f) << name;
    }
}

} // namespace
} // namespace sweepfilter::test
