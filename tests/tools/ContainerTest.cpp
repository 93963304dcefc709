// Every container the installed libsndfile writes is chosen by the output's extension (or
// --type), and holds the render.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "TestSignals.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

struct ContainerCase
{
    std::string fileName;
    std::vector<std::string> options;
    int majorFormat;
    bool lossy;
};

int majorFormatOf(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return 0;
    sf_close(file);
    return info.format & SF_FORMAT_TYPEMASK;
}

TEST(Containers, FollowTheExtensionAndHoldTheRender)
{
    TestFolder folder;
    const Audio input{2, 48000, noise(2 * 48000, 9)}; // 48 kHz suits every codec, Opus included
    for (auto& sample : const_cast<std::vector<float>&>(input.samples))
        sample *= 0.25f;
    writeAudio(folder / "in.wav", input);
    ASSERT_EQ(runTool({"render", folder / "in.wav", folder / "reference.wav", "--plugin",
                       SWEEPFILTER_PLUGIN_PATH})
                  .exitCode,
              0);
    const Audio reference = readAudio(folder / "reference.wav");

    const ContainerCase cases[] = {
        {"out.wav", {}, SF_FORMAT_WAV, false},
        {"out.aif", {}, SF_FORMAT_AIFF, false},
        {"out.AIFF", {}, SF_FORMAT_AIFF, false},
        {"out.au", {}, SF_FORMAT_AU, false},
        {"out.caf", {}, SF_FORMAT_CAF, false},
        {"out.w64", {}, SF_FORMAT_W64, false},
        {"out.rf64", {}, SF_FORMAT_RF64, false},
        {"out.flac", {"--format", "pcm24"}, SF_FORMAT_FLAC, false},
        {"out.sound", {"--type", "caf"}, SF_FORMAT_CAF, false},
        {"out.mp3", {}, SF_FORMAT_MPEG, true},
        {"out.MP3", {}, SF_FORMAT_MPEG, true},
        {"out.ogg", {}, SF_FORMAT_OGG, true},
        {"out.opus", {}, SF_FORMAT_OGG, true},
    };
    for (const auto& container : cases)
    {
        SCOPED_TRACE(container.fileName);
        std::vector<std::string> arguments = {"render", folder / "in.wav",
                                              folder / container.fileName, "--plugin",
                                              SWEEPFILTER_PLUGIN_PATH};
        arguments.insert(arguments.end(), container.options.begin(), container.options.end());
        const ToolResult result = runTool(arguments);
        ASSERT_EQ(result.exitCode, 0) << result.errors;
        EXPECT_EQ(majorFormatOf(folder / container.fileName), container.majorFormat);
        const Audio written = readAudio(folder / container.fileName);
        EXPECT_EQ(written.sampleRate, 48000);
        if (container.lossy)
        {
            // A codec adds its own delay and padding: the length is close, not equal.
            EXPECT_NEAR(static_cast<double>(written.frames()), 48000.0, 4000.0);
            continue;
        }
        ASSERT_EQ(written.samples.size(), reference.samples.size());
        const double tolerance = container.fileName == "out.flac" ? 1.0 / (1 << 23) : 0.0;
        for (std::size_t i = 0; i < written.samples.size(); ++i)
            ASSERT_NEAR(written.samples[i], reference.samples[i], tolerance) << i;
    }
}

// Two renders of the same input with the same options give the same bytes, also a second
// apart (the clock must not leak into the file).
TEST(Containers, IdenticalRendersGiveIdenticalBytes)
{
    TestFolder folder;
    writeAudio(folder / "in.wav", Audio{2, 44100, noise(2 * 4410, 9)});
    writeAudio(folder / "in48.wav", Audio{2, 48000, noise(2 * 4800, 9)});
    // Float samples, FLAC's integers, and the codecs (whose streams get random serial numbers).
    const char* const names[] = {"out.wav",  "out.aiff", "out.caf", "out.w64",
                                 "out.rf64", "out.flac", "out.ogg", "out.opus"};
    const auto renderAll = [&](const std::string& prefix) {
        for (const std::string name : names)
        {
            const bool lossy = name == "out.ogg" || name == "out.opus";
            ASSERT_EQ(runTool({"render", folder / (name == "out.opus" ? "in48.wav" : "in.wav"),
                               folder / (prefix + name), "-q", "--format",
                               name == "out.flac" ? "pcm24"
                               : lossy            ? "input"
                                                  : "float",
                               "--plugin", SWEEPFILTER_PLUGIN_PATH})
                          .exitCode,
                      0)
                << name;
        }
    };
    renderAll("a-");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    renderAll("b-");
    for (const char* name : names)
        EXPECT_EQ(readText(folder / (std::string("a-") + name)),
                  readText(folder / (std::string("b-") + name)))
            << name;
}

TEST(Containers, InputEncodingGoesIntoTheOutputsContainer)
{
    TestFolder folder;
    writeAudio(folder / "in.flac", Audio{2, 44100, noise(4000, 3)},
               SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    ASSERT_EQ(runTool({"render", folder / "in.flac", folder / "out.wav", "--format", "input",
                       "--plugin", SWEEPFILTER_PLUGIN_PATH})
                  .exitCode,
              0);
    SF_INFO info{};
    SNDFILE* file = sf_open((folder / "out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

} // namespace
} // namespace sweepfilter::test
