// Where outputs go: regular files through a temporary (keeping their mode), devices, FIFOs and
// sockets written directly and never replaced, standard output, links, long names.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <thread>
#include <tuple>

#include "TestSignals.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

class OutputTarget : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Audio input{2, 44100, noise(6000, 5)};
        for (float& sample : input.samples)
            sample *= 0.25f; // no peaks for the integer encodings to clip
        writeAudio(folder / "in.wav", input);
        ASSERT_EQ(render(folder / "reference.wav").exitCode, 0);
        reference = readAudio(folder / "reference.wav").samples;
    }

    ToolResult render(const std::string& output, std::vector<std::string> more = {})
    {
        std::vector<std::string> arguments = {"render", folder / "in.wav", output, "--plugin",
                                              SWEEPFILTER_PLUGIN_PATH};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return runTool(arguments);
    }

    static mode_t kindOf(const std::string& path)
    {
        struct stat status
        {
        };
        lstat(path.c_str(), &status);
        return status.st_mode & S_IFMT;
    }

    // The decoded samples of bytes that came out of a stream.
    std::vector<float> decoded(const std::string& bytes)
    {
        std::ofstream(folder / "decoded.au", std::ios::binary) << bytes;
        return readAudio(folder / "decoded.au").samples;
    }

    TestFolder folder;
    std::vector<float> reference;
};

TEST_F(OutputTarget, AnExistingRegularFileIsReplacedWholeAndKeepsItsMode)
{
    std::ofstream(folder / "out.wav") << "old contents";
    chmod((folder / "out.wav").c_str(), 0640);
    ASSERT_EQ(render(folder / "out.wav").exitCode, 0);
    struct stat status
    {
    };
    stat((folder / "out.wav").c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(readAudio(folder / "out.wav").samples, reference);

    // A new file gets what the umask allows, not the temporary file's private mode.
    const mode_t mask = umask(0);
    umask(mask);
    stat((folder / "reference.wav").c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0666u & ~mask);
}

// Its ACL and extended attributes stay too: replacing a file grants no more access than it
// had (an ACL's mask does not become the group's permissions).
TEST_F(OutputTarget, AReplacedFileKeepsItsAclAndExtendedAttributes)
{
    const std::string out = folder / "out.wav";
    std::ofstream(out) << "old contents";
    chmod(out.c_str(), 0640);
    // user::rw-, user:65534:r--, group::rw-, mask::r--, other::---
    std::string acl;
    const auto add = [&acl](std::uint32_t value, int bytes) {
        for (int k = 0; k < bytes; ++k)
            acl.push_back(static_cast<char>(value >> (8 * k)));
    };
    add(2, 4);
    for (auto [tag, permissions, id] : {std::tuple{0x01u, 6u, ~0u},
                                        {0x02u, 4u, 65534u},
                                        {0x04u, 6u, ~0u},
                                        {0x10u, 4u, ~0u},
                                        {0x20u, 0u, ~0u}})
        add(tag, 2), add(permissions, 2), add(id, 4);
    if (setxattr(out.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
        setxattr(out.c_str(), "user.note", "keep me", 7, 0) != 0)
        GTEST_SKIP() << "no ACLs or user attributes on this file system";
    struct stat before
    {
    };
    stat(out.c_str(), &before);
    ASSERT_EQ(render(out).exitCode, 0);
    const auto attribute = [&](const char* name) {
        std::string value(256, '\0');
        const ssize_t length = getxattr(out.c_str(), name, value.data(), value.size());
        value.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
        return value;
    };
    EXPECT_EQ(attribute("system.posix_acl_access"), acl);
    EXPECT_EQ(attribute("user.note"), "keep me");
    struct stat after
    {
    };
    stat(out.c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(readAudio(out).samples, reference);
}

TEST_F(OutputTarget, ALinkStaysALinkAndItsFileIsReplaced)
{
    std::ofstream(folder / "real.wav") << "old contents";
    std::filesystem::create_symlink(folder / "real.wav", folder / "link.wav");
    ASSERT_EQ(render(folder / "link.wav").exitCode, 0);
    EXPECT_EQ(kindOf(folder / "link.wav"), static_cast<mode_t>(S_IFLNK));
    EXPECT_EQ(readAudio(folder / "real.wav").samples, reference);
}

TEST_F(OutputTarget, ANameOfAnyLengthTheFileSystemAllowsWorks)
{
    const std::string longest = std::string(251, 'n') + ".wav"; // 255 bytes
    ASSERT_EQ(render(folder / longest).exitCode, 0);
    EXPECT_EQ(readAudio(folder / longest).samples, reference);
}

TEST_F(OutputTarget, DevicesAreWrittenNotReplaced)
{
    const ToolResult result = render("/dev/null");
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(kindOf("/dev/null"), static_cast<mode_t>(S_IFCHR));
}

TEST_F(OutputTarget, AFifoReceivesAStreamAndStaysAFifo)
{
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readText(fifo); });
    const ToolResult result = render(fifo);
    reader.join();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(kindOf(fifo), static_cast<mode_t>(S_IFIFO));
    EXPECT_EQ(decoded(received), reference); // AU: a container that streams

    // A container that must go back to finish its header is refused before any rendering.
    std::thread opener([&] { received = readText(fifo); });
    const ToolResult wav = render(fifo, {"--type", "wav"});
    opener.join();
    EXPECT_EQ(wav.exitCode, 2);
    EXPECT_NE(wav.errors.find("pipe"), std::string::npos) << wav.errors;
    EXPECT_EQ(kindOf(fifo), static_cast<mode_t>(S_IFIFO));
}

TEST_F(OutputTarget, ASocketIsNeverReplaced)
{
    const std::string path = folder / "socket";
    const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const ToolResult result = render(path);
    close(socketFd);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.errors.find("cannot open"), std::string::npos) << result.errors;
    EXPECT_EQ(kindOf(path), static_cast<mode_t>(S_IFSOCK));
}

TEST_F(OutputTarget, DashIsStandardOutputInAContainerThatStreams)
{
    // Standard output as a file (the capture) and as a pipe.
    const ToolResult toFile = render("-");
    ASSERT_EQ(toFile.exitCode, 0) << toFile.errors;
    EXPECT_EQ(decoded(toFile.output), reference);

    const ToolResult throughPipe =
        runCommand({"sh", "-c",
                    quoted(SWEEPFILTER_TOOL_PATH) + " render " + quoted(folder / "in.wav") +
                        " - --type flac --format pcm24 --plugin " +
                        quoted(SWEEPFILTER_PLUGIN_PATH) + " | cat"});
    ASSERT_EQ(throughPipe.exitCode, 0) << throughPipe.errors;
    // A streamed FLAC file cannot state its length: read it to its end.
    std::ofstream(folder / "piped.flac", std::ios::binary) << throughPipe.output;
    SF_INFO info{};
    SNDFILE* file = sf_open((folder / "piped.flac").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> piped(reference.size() + 2);
    EXPECT_EQ(sf_readf_float(file, piped.data(), static_cast<sf_count_t>(piped.size() / 2)),
              static_cast<sf_count_t>(reference.size() / 2));
    // Nothing after the data: the header's completion, which cannot go back into a pipe, is
    // not appended as junk that decoders stumble over.
    EXPECT_EQ(sf_error(file), SF_ERR_NO_ERROR) << sf_strerror(file);
    sf_close(file);
    // Such a file states no length; the tool counts it.
    const ToolResult again = runTool({"render", folder / "piped.flac", folder / "again.wav",
                                      "--plugin", SWEEPFILTER_PLUGIN_PATH});
    EXPECT_EQ(again.exitCode, 0) << again.errors;
    EXPECT_EQ(readAudio(folder / "again.wav").frames(), reference.size() / 2);
    for (std::size_t i = 0; i < reference.size(); ++i)
        ASSERT_NEAR(piped[i], reference[i], 1.0 / (1 << 23)) << i;

    EXPECT_NE(runTool({"render", "--help"}).output.find("- for standard output"),
              std::string::npos);

    // Audio is not sent to a terminal.
    const ToolResult terminal =
        runCommand({"script", "-qec",
                    quoted(SWEEPFILTER_TOOL_PATH) + " render " + quoted(folder / "in.wav") +
                        " - --plugin " + quoted(SWEEPFILTER_PLUGIN_PATH),
                    "/dev/null"});
    EXPECT_EQ(terminal.exitCode, 2);
    EXPECT_NE(terminal.output.find("standard output is a terminal"), std::string::npos)
        << terminal.output;
}

} // namespace
} // namespace sweepfilter::test
