#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "ParameterArguments.h"
#include "Verbosity.h"

namespace sweepfilter::tool
{

// The options several subcommands share.

// --plugin, defaulting to the 2.0 module the tool finds beside itself or installed.
void addPluginOption(CLI::App& command, std::string& plugin);

// -q and -v, read through the returned verbosity once parsing is done.
std::shared_ptr<Verbosity> addVerbosityFlags(CLI::App& command);

// The help text of --set.
extern const char* const setHelp;

// Numbers must be given: CLI11 alone would read an empty argument as 0.
CLI::Validator givenNumber();

// Every --set argument parsed; throws ToolError(usage).
std::vector<ParameterSetting> parseSettings(const std::vector<std::string>& arguments);

} // namespace sweepfilter::tool
