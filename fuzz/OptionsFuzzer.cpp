// Parses fuzzer-made command lines the way the tool does, without doing the work they ask
// for: every option must end as a checked value or a clear error, never a crash or undefined
// behaviour. Automation times go on to frame numbers at rates from 1 Hz to 1 GHz, which must
// come out as frames from zero up, however large or odd the time.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "ParameterArguments.h"
#include "ToolError.h"

using namespace sweepfilter::tool;

namespace
{

// The arguments are the bytes split at NUL (so any other byte, newlines included, can be in
// an argument).
std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i)
    {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }
    return arguments;
}

void checkFrames(const std::string& argument)
{
    ParameterChange change{};
    try
    {
        change = parseChange(argument);
    }
    catch (const ToolError& error)
    {
        if (error.code() != ExitCode::usage)
            std::abort();
        return;
    }
    for (double rate : {1.0, 8000.0, 44100.0, 192000.0, 1.0e9})
        if (change.frame(rate) < 0)
            std::abort();
}

} // namespace

// --version and the like print: keep that out of the fuzzer's report.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!std::freopen("/dev/null", "w", stdout))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> arguments = argumentsOf(data, size);
    try
    {
        CommandLine commandLine;
        commandLine.parse(arguments);
    }
    catch (const CLI::Error&)
    {
    }
    catch (const ToolError& error)
    {
        // Parsing finds only command-line problems.
        if (error.code() != ExitCode::usage)
            std::abort();
    }
    for (const auto& argument : arguments)
        checkFrames(argument);
    return 0;
}
