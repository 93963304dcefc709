#pragma once

#include <stdexcept>
#include <string>

namespace sweepfilter::tool
{

// What went wrong, by who has to fix it, as the tool's exit code.
enum class ExitCode
{
    usage = 2,     // the command line
    audioFile = 3, // an input or output file
    plugin = 4,    // the plug-in library
    // 128 + n: ended by signal n (SIGHUP 129, SIGINT 130, SIGTERM 143)
};

class ToolError : public std::runtime_error
{
public:
    ToolError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code)
    {
    }
    ExitCode code() const noexcept { return code_; }

private:
    ExitCode code_;
};

} // namespace sweepfilter::tool
