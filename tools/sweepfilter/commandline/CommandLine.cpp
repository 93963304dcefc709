#include "CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "HostedEffect.h"
#include "PluginError.h"
#include "PluginLibrary.h"
#include "ToolError.h"

namespace sweepfilter::tool
{
namespace
{

// The tool's and the plug-in's versions; a plug-in that does not load is named as such.
void printVersions()
{
    std::printf("sweepfilter %s\n", SWEEPFILTER_TOOL_VERSION);
    const std::string path = host::PluginLibrary::defaultPath();
    try
    {
        host::PluginLibrary library(path);
        host::HostedEffect effect(library);
        effect.open();
        std::printf("plug-in %s: version %d, unique id '%s'\n", path.c_str(),
                    effect.record().version,
                    host::fourCharacterText(effect.record().uniqueId).c_str());
    }
    catch (const host::PluginError& error)
    {
        std::printf("plug-in %s: not usable (%s)\n", path.c_str(), error.what());
    }
}

std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
    {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j)
        {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The candidate closest to `name`, when it is close enough to be a slip of the fingers.
std::string nearest(const std::string& name, const std::vector<std::string>& candidates)
{
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, name.size() / 3) + 1;
    for (const auto& candidate : candidates)
        if (const std::size_t distance = editDistance(name, candidate); distance < bestDistance)
        {
            best = candidate;
            bestDistance = distance;
        }
    return best;
}

} // namespace

CommandLine::CommandLine()
    : app_("sweepfilter: run audio files through a plug-in of this interface, show what a "
           "plug-in offers, or hear the sweepfilter effect in a demo.")
{
    app_.footer("Exit codes: 0 done, 2 bad command line, 3 audio file problem, 4 plug-in "
                "problem, 128 + N ended by signal N (130 SIGINT, 143 SIGTERM).");
    app_.require_subcommand(1);
    app_.add_flag_callback(
        "--version",
        [] {
            printVersions();
            throw CLI::Success();
        },
        "Print the tool's and the plug-in's versions");

    for (const auto add : commands)
        add(app_, work_);
}

std::function<void()> CommandLine::parse(std::vector<std::string> arguments)
{
    arguments_ = arguments;
    work_ = nullptr;
    std::reverse(arguments.begin(), arguments.end()); // CLI11 takes them last first
    app_.parse(arguments);
    return work_;
}

std::string CommandLine::nearestNameHint() const
{
    std::vector<std::string> subcommands;
    for (const auto* subcommand : app_.get_subcommands([](const CLI::App*) { return true; }))
        subcommands.push_back(subcommand->get_name());
    const CLI::App* chosen = nullptr;
    for (const auto& argument : arguments_)
    {
        if (argument.starts_with("-"))
        {
            const std::string name = argument.substr(0, argument.find('='));
            const CLI::App* scope = chosen ? chosen : &app_;
            if (argument == "-" || scope->get_option_no_throw(name) ||
                app_.get_option_no_throw(name) ||
                argument.find_first_not_of("-.0123456789") == std::string::npos)
                continue;
            std::vector<std::string> names;
            for (const auto* option : scope->get_options())
                for (const auto& longName : option->get_lnames())
                    names.push_back("--" + longName);
            const std::string near = nearest(name, names);
            return "unknown option '" + name + "'" +
                   (chosen ? " for " + chosen->get_name() : std::string()) +
                   (near.empty() ? "" : "; did you mean '" + near + "'?");
        }
        if (chosen)
            continue;
        if (std::find(subcommands.begin(), subcommands.end(), argument) != subcommands.end())
        {
            chosen = app_.get_subcommand(argument);
            continue;
        }
        const std::string near = nearest(argument, subcommands);
        return "unknown subcommand '" + argument + "'" +
               (near.empty() ? "" : "; did you mean '" + near + "'?");
    }
    return {};
}

int CommandLine::exit(const CLI::Error& error)
{
    const bool isParseFailure = error.get_exit_code() != 0 &&
                                !dynamic_cast<const CLI::CallForHelp*>(&error) &&
                                !dynamic_cast<const CLI::CallForAllHelp*>(&error);
    if (isParseFailure)
        if (const std::string hint = nearestNameHint(); !hint.empty())
        {
            std::fprintf(stderr, "sweepfilter: %s\nRun with --help for more information.\n",
                         hint.c_str());
            return static_cast<int>(ExitCode::usage);
        }
    const int code = app_.exit(error);
    return isParseFailure ? static_cast<int>(ExitCode::usage) : code;
}

} // namespace sweepfilter::tool
