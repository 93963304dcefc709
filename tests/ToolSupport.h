#pragma once

#include <sndfile.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace sweepfilter::test
{

// A fresh folder for one test's files, removed afterwards.
class TestFolder
{
public:
    TestFolder()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("sweepfilter-test-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() { std::filesystem::remove_all(path_); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    // The names of the files in the folder, hidden ones included.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

struct ToolResult
{
    int exitCode;
    std::string output;
    std::string errors;
};

inline std::string quoted(const std::string& argument)
{
    std::string result = "'";
    for (char c : argument)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

inline std::string readText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs a command (its arguments quoted for the shell) and captures what it printed.
inline ToolResult runCommand(const std::vector<std::string>& arguments)
{
    TestFolder capture;
    std::string command;
    for (const auto& argument : arguments)
        command += (command.empty() ? "" : " ") + quoted(argument);
    command += " >" + quoted(capture / "out") + " 2>" + quoted(capture / "err") + " </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(capture / "out"),
            readText(capture / "err")};
}

#ifdef SWEEPFILTER_TOOL_PATH
// Starts the built command-line tool without waiting for it: no input, its output thrown
// away, its messages into the file `errorsPath`, the `ignored` signals ignored as nohup does.
// Answers the process id.
inline pid_t startTool(const std::vector<std::string>& arguments,
                       const std::string& errorsPath = "/dev/null",
                       const std::vector<int>& ignored = {})
{
    std::vector<std::string> argv = {SWEEPFILTER_TOOL_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const pid_t child = fork();
    if (child == 0)
    {
        const int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = open("/dev/null", O_RDWR);
        dup2(nothing, 0);
        dup2(nothing, 1);
        dup2(errors, 2);
        for (int number : ignored)
            signal(number, SIG_IGN);
        std::vector<char*> pointers;
        for (auto& argument : argv)
            pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    return child;
}

// Runs the built command-line tool.
inline ToolResult runTool(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), SWEEPFILTER_TOOL_PATH);
    return runCommand(arguments);
}
#endif

struct Audio
{
    int channels = 2;
    int sampleRate = 44100;
    std::vector<float> samples; // interleaved

    std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
    std::vector<float> channel(int index) const
    {
        std::vector<float> result(frames());
        for (std::size_t i = 0; i < result.size(); ++i)
            result[i] =
                samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(index)];
        return result;
    }
};

inline void writeAudio(const std::string& path, const Audio& audio,
                       int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SF_INFO info{};
    info.channels = audio.channels;
    info.samplerate = audio.sampleRate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path);
    sf_writef_float(file, audio.samples.data(), static_cast<sf_count_t>(audio.frames()));
    sf_close(file);
}

inline Audio readAudio(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    Audio audio{info.channels, info.samplerate,
                std::vector<float>(static_cast<std::size_t>(info.frames * info.channels))};
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

} // namespace sweepfilter::test
