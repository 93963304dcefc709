#pragma once

#include <stdexcept>
#include <string>

namespace sweepfilter::host
{

// What went wrong, by who has to fix it; the command-line tool turns these into exit codes.
enum class Problem
{
    usage = 2,     // the command line
    audioFile = 3, // an input or output file
    plugin = 4,    // the plug-in library
    interrupted = 130,
};

class HostError : public std::runtime_error
{
public:
    HostError(Problem problem, const std::string& message)
        : std::runtime_error(message), problem_(problem)
    {
    }
    Problem problem() const noexcept { return problem_; }

private:
    Problem problem_;
};

} // namespace sweepfilter::host
