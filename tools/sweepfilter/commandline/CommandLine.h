#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

namespace sweepfilter::tool
{

// The tool's command line: its subcommands and their options. Parsing checks every option
// into a value (numbers finite and in range, paths that can be what they must be) and hands
// back the work, so that nothing starts before the whole command line is known to be good.
class CommandLine
{
public:
    CommandLine();

    // The work the arguments (without the program's name) ask for. Throws CLI::ParseError
    // (including help and --version, which print and succeed) or ToolError(usage).
    std::function<void()> parse(std::vector<std::string> arguments);

    // Prints a parse error (with the nearest valid name for a misspelt subcommand or option)
    // or the help, and answers the exit code.
    int exit(const CLI::Error& error);

private:
    std::string nearestNameHint() const;

    CLI::App app_;
    std::vector<std::string> arguments_;
    std::function<void()> work_;
};

} // namespace sweepfilter::tool
