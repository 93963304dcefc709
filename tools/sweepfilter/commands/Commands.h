#pragma once

#include <CLI/CLI.hpp>

#include <functional>

namespace sweepfilter::tool
{

// The work a parsed command line asks for.
using Work = std::function<void()>;

// Each subcommand adds itself to the tool's command line: its options, and the work it sets
// once they all parse.
void addInfoCommand(CLI::App& app, Work& work);
void addRenderCommand(CLI::App& app, Work& work);
void addResponseCommand(CLI::App& app, Work& work);
void addSpectrogramCommand(CLI::App& app, Work& work);
void addDemoCommand(CLI::App& app, Work& work);

// Every subcommand, in the order the help lists them. A new subcommand is a file in this
// folder and a line here.
inline constexpr void (*commands[])(CLI::App&, Work&) = {
    addInfoCommand, addRenderCommand, addResponseCommand, addSpectrogramCommand, addDemoCommand};

} // namespace sweepfilter::tool
