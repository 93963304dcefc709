// A write that fails at any point, the encoder's last flush included, ends the command with
// exit code 3 and leaves no file: never a cut-short output reported as done.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "OutcomeTable.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

struct Encoding
{
    const char* extension;
    std::vector<std::string> options;
    double shortest, longest; // seconds of 22.05 kHz noise around 256 KiB of output
};

const Encoding encodings[] = {
    {"wav", {}, 0.4, 4.0},
    {"flac", {"--format", "pcm16"}, 0.6, 6.0},
    {"mp3", {}, 4.0, 40.0},
    {"ogg", {}, 4.0, 40.0},
    {"au", {}, 0.4, 4.0},
    {"caf", {"--format", "pcm24"}, 0.4, 4.0},
    {"aiff", {"--format", "pcm16"}, 0.6, 6.0},
};

TEST(WriteFailures, AFullDeviceFailsEveryContainerAndEveryPicture)
{
    TestFolder folder;
    writeAudio(folder / "in.wav", Audio{2, 44100, noise(2 * 44100, 4)});
    std::filesystem::create_symlink("/dev/full", folder / "full.png");
    std::vector<Outcome> cases;
    for (const auto& encoding : encodings)
    {
        std::vector<std::string> arguments = {"render", "{IN}", "/dev/full", "--type",
                                              encoding.extension};
        arguments.insert(arguments.end(), encoding.options.begin(), encoding.options.end());
        cases.push_back({encoding.extension, arguments, 3, "No space left on device"});
    }
    cases.push_back(
        {"response picture", {"response", "-o", "{FOLDER}full.png"}, 3, "No space left on device"});
    cases.push_back(
        {"response numbers", {"response", "--csv", "/dev/full"}, 3, "No space left on device"});
    cases.push_back({"spectrogram",
                     {"spectrogram", "{IN}", "-o", "{FOLDER}full.png"},
                     3,
                     "No space left on device"});
    expectOutcomes(folder, cases);
}

// Text for standard output that cannot be written (a full disk) fails with exit 3, as any
// other failed write does.
TEST(WriteFailures, StandardOutputThatCannotBeWrittenFails)
{
    for (const char* arguments : {"info", "info --json", "--version", "--help"})
    {
        const ToolResult result =
            runCommand({"sh", "-c",
                        "exec " + quoted(SWEEPFILTER_TOOL_PATH) + " " + arguments + " >/dev/full"});
        EXPECT_EQ(result.exitCode, 3) << arguments;
        EXPECT_NE(result.errors.find("cannot write standard output: No space left on device"),
                  std::string::npos)
            << arguments << ": " << result.errors;
    }
}

// A small file system of its own, where the machine allows mounting one.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(const std::string& path) : path_(path)
    {
        std::filesystem::create_directories(path);
        mounted_ = mount("sweepfilter-test", path.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted_)
            umount(path_.c_str());
    }
    bool mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

TEST(WriteFailures, AFullDiskNeverGivesACutShortFile)
{
    TestFolder folder;
    SmallFileSystem disk(folder / "disk");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a 256 KiB tmpfs here (" << std::strerror(errno)
                     << "; mounting needs root outside a container): the full-disk case is "
                        "covered only by /dev/full";

    // Renders of growing length, so that the disk fills at every stage of a file: the first
    // blocks, the middle, the last flush and the header's completion. Each must either
    // succeed with the whole render in the file or fail with exit 3 and leave nothing.
    for (const auto& encoding : encodings)
    {
        const bool lossy =
            std::string(encoding.extension) == "mp3" || std::string(encoding.extension) == "ogg";
        int failures = 0, successes = 0;
        for (double seconds = encoding.shortest; seconds < encoding.longest; seconds *= 1.12)
        {
            SCOPED_TRACE(std::string(encoding.extension) + " " + std::to_string(seconds) + " s");
            const auto frames = static_cast<std::size_t>(seconds * 22050);
            writeAudio(folder / "in.wav", Audio{2, 22050, noise(2 * frames, 7)});
            const std::string output = folder / ("disk/out." + std::string(encoding.extension));
            std::vector<std::string> arguments = {"render",   folder / "in.wav",      output, "-q",
                                                  "--plugin", SWEEPFILTER_PLUGIN_PATH};
            arguments.insert(arguments.end(), encoding.options.begin(), encoding.options.end());
            const ToolResult result = runTool(arguments);
            if (result.exitCode == 0)
            {
                ++successes;
                const Audio written = readAudio(output);
                EXPECT_NEAR(static_cast<double>(written.frames()), static_cast<double>(frames),
                            lossy ? 3000.0 : 0.0);
                std::filesystem::remove(output);
            }
            else
            {
                ++failures;
                EXPECT_EQ(result.exitCode, 3) << result.errors;
                EXPECT_NE(result.errors.find("No space left on device"), std::string::npos)
                    << result.errors;
            }
            EXPECT_TRUE(std::filesystem::is_empty(folder / "disk"));
        }
        EXPECT_GT(successes, 0) << encoding.extension;
        EXPECT_GT(failures, 0) << encoding.extension;
    }
}

} // namespace
} // namespace sweepfilter::test
