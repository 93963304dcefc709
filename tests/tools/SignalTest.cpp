// Signals that end a process (SIGINT, SIGTERM, SIGHUP, SIGQUIT, ...) end every subcommand within
// a fraction of a second, with exit code 128 + the signal's number and no temporary or partial
// file left behind; one ignored when the tool starts stays ignored; a file-size limit fails the
// write instead.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "TestSignals.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

using Clock = std::chrono::steady_clock;

// The tool running in the background, its stderr collected in a file.
class RunningTool
{
public:
    RunningTool(const std::vector<std::string>& arguments, const std::string& errorsPath,
                const std::vector<int>& ignored = {})
        : pid_(startTool(arguments, errorsPath, ignored))
    {
    }
    ~RunningTool()
    {
        if (pid_ > 0 && !finished_)
        {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    void signal(int number) { kill(pid_, number); }

    // The exit code, or -1 when the tool has not ended within the time.
    int waitUpTo(std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end)
        {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_)
            {
                finished_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return -1;
    }

private:
    pid_t pid_;
    bool finished_ = false;
};

bool waitUntil(const std::function<bool()>& condition)
{
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < end)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool holdsTemporary(const TestFolder& folder, const std::string& sub = "")
{
    for (const auto& entry : std::filesystem::directory_iterator(folder / sub))
        if (entry.path().filename().string().starts_with(".sweepfilter-"))
            return true;
    return false;
}

struct Scene
{
    const char* subcommand;
    // The command line, and what shows that the tool is at work (or blocked) and can be
    // interrupted there.
    std::function<std::vector<std::string>(const TestFolder&)> arguments;
    std::function<bool(const TestFolder&)> busy;
    const char* mustNotExist; // the output, which must not appear
    const char* alsoSays = "";
};

const Scene scenes[] = {
    // Rendering an hour of tail: interrupted in the middle of the work.
    {"render",
     [](const TestFolder& f) {
         return std::vector<std::string>{
             "render", f / "in.wav", f / "out.wav", "--tail",
             "3600",   "-q",         "--plugin",    SWEEPFILTER_PLUGIN_PATH};
     },
     [](const TestFolder& f) { return holdsTemporary(f); }, "out.wav"},
    // A picture into a FIFO nobody reads: interrupted while blocked opening it.
    {"spectrogram",
     [](const TestFolder& f) {
         return std::vector<std::string>{"spectrogram", f / "in.wav", "-o", f / "fifo.png"};
     },
     nullptr, nullptr},
    {"response",
     [](const TestFolder& f) {
         return std::vector<std::string>{"response", "--csv", f / "fifo.png", "--plugin",
                                         SWEEPFILTER_PLUGIN_PATH};
     },
     nullptr, nullptr},
    // The demo: interrupted while it makes its test signal, and once its first file is done,
    // in the middle of its renders.
    {"demo",
     [](const TestFolder& f) {
         return std::vector<std::string>{"demo", f / "demo", "-q", "--plugin",
                                         SWEEPFILTER_PLUGIN_PATH};
     },
     nullptr, "demo/listing.txt"},
    {"demo",
     [](const TestFolder& f) {
         return std::vector<std::string>{"demo", f / "demo", "-q", "--plugin",
                                         SWEEPFILTER_PLUGIN_PATH};
     },
     [](const TestFolder& f) {
         return std::filesystem::exists(f / "demo/00-input-spectrogram.png");
     },
     "demo/listing.txt", "the files finished before stay in"},
};

TEST(Signals, EndEverySubcommandQuicklyWithTheirExitCodeAndNoLeftovers)
{
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1})
        for (const auto& scene : scenes)
        {
            SCOPED_TRACE(std::string(scene.subcommand) + " " + sigabbrev_np(number));
            TestFolder folder;
            writeAudio(folder / "in.wav", Audio{2, 44100, noise(2 * 44100, 3)});
            ASSERT_EQ(mkfifo((folder / "fifo.png").c_str(), 0600), 0);
            RunningTool tool(scene.arguments(folder), folder / "errors.txt");
            if (scene.busy)
                ASSERT_TRUE(waitUntil([&] { return scene.busy(folder); }));
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(300));

            const auto sent = Clock::now();
            tool.signal(number);
            const int exitCode = tool.waitUpTo(std::chrono::seconds(5));
            const auto took = Clock::now() - sent;
            EXPECT_EQ(exitCode, 128 + number);
            EXPECT_LT(took, std::chrono::milliseconds(500));
            const std::string errors = readText(folder / "errors.txt");
            EXPECT_NE(errors.find(std::string("interrupted by SIG") + sigabbrev_np(number)),
                      std::string::npos)
                << errors;
            EXPECT_NE(errors.find(scene.alsoSays), std::string::npos) << errors;
            EXPECT_FALSE(holdsTemporary(folder));
            if (std::filesystem::exists(folder / "demo"))
            {
                EXPECT_FALSE(holdsTemporary(folder, "demo"));
            }
            if (scene.mustNotExist)
            {
                EXPECT_FALSE(std::filesystem::exists(folder / scene.mustNotExist));
            }
            struct stat status
            {
            };
            lstat((folder / "fifo.png").c_str(), &status);
            EXPECT_TRUE(S_ISFIFO(status.st_mode));
        }
}

TEST(Signals, ASecondSignalEndsAtOnceAndStillRemovesTheTemporary)
{
    TestFolder folder;
    writeAudio(folder / "in.wav", Audio{2, 44100, noise(2 * 44100, 3)});
    // Two signals at once: the second ends the process in its handler, which must remove the
    // render's temporary as the orderly way does.
    RunningTool tool({"render", folder / "in.wav", folder / "out.wav", "--tail", "3600", "-q",
                      "--plugin", SWEEPFILTER_PLUGIN_PATH},
                     folder / "errors.txt");
    ASSERT_TRUE(waitUntil([&] { return holdsTemporary(folder); }));
    tool.signal(SIGTERM);
    tool.signal(SIGTERM);
    EXPECT_EQ(tool.waitUpTo(std::chrono::seconds(5)), 128 + SIGTERM);
    EXPECT_FALSE(holdsTemporary(folder));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.wav"));
}

// Started with SIGINT and SIGHUP ignored (a script's background job, nohup), the tool goes on
// through them; SIGTERM still ends it.
TEST(Signals, ASignalIgnoredWhenTheToolStartsStaysIgnored)
{
    TestFolder folder;
    writeAudio(folder / "in.wav", Audio{2, 44100, noise(2 * 44100, 3)});
    RunningTool tool({"render", folder / "in.wav", folder / "out.wav", "--tail", "3600", "-q",
                      "--plugin", SWEEPFILTER_PLUGIN_PATH},
                     folder / "errors.txt", {SIGINT, SIGHUP});
    ASSERT_TRUE(waitUntil([&] { return holdsTemporary(folder); }));
    tool.signal(SIGINT);
    tool.signal(SIGHUP);
    EXPECT_EQ(tool.waitUpTo(std::chrono::milliseconds(400)), -1) << "still rendering";
    tool.signal(SIGTERM);
    EXPECT_EQ(tool.waitUpTo(std::chrono::seconds(5)), 128 + SIGTERM);
    EXPECT_FALSE(holdsTemporary(folder));
}

// Under a file-size limit (ulimit -f) the write that crosses it fails: exit 3, a message, no
// temporary and no output.
TEST(Signals, AFileSizeLimitFailsTheWriteCleanly)
{
    TestFolder folder;
    writeAudio(folder / "in.wav", Audio{2, 44100, noise(2 * 44100, 3)});
    const ToolResult result =
        runCommand({"sh", "-c",
                    "ulimit -f 64 && exec " + quoted(SWEEPFILTER_TOOL_PATH) + " render " +
                        quoted(folder / "in.wav") + " " + quoted(folder / "out.wav") +
                        " -q --plugin " + quoted(SWEEPFILTER_PLUGIN_PATH)});
    EXPECT_EQ(result.exitCode, 3) << result.errors;
    EXPECT_NE(result.errors.find("File too large"), std::string::npos) << result.errors;
    EXPECT_FALSE(holdsTemporary(folder));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.wav"));
}

} // namespace
} // namespace sweepfilter::test
