#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HostedPlugin.h"
#include "ParameterArguments.h"

namespace sweepfilter::tool
{

// The parameter named on the command line (an index, a symbol or a name); throws
// ToolError(usage) listing the plug-in's parameters when there is none.
std::size_t parameterIndex(const host::HostedPlugin& plugin, const std::string& parameter);

// A value for a parameter, in the plug-in's own values.
struct ResolvedValue
{
    std::size_t parameter;
    double value;
};

// VALUE for its parameter: a number within the parameter's range, or a text the plug-in reads
// ("hard", "Host", "1000 Hz"). Throws ToolError(usage) naming the argument.
ResolvedValue resolveValue(host::HostedPlugin& plugin, const std::string& parameter,
                           const std::string& value, const char* option,
                           const std::string& argument);

// The settings with their parameters and values looked up; throws as resolveValue does.
std::vector<ResolvedValue> resolveSettings(host::HostedPlugin& plugin,
                                           const std::vector<ParameterSetting>& settings);

// Throws ToolError(usage) when the program does not exist in the plug-in.
void checkProgram(host::HostedPlugin& plugin, const std::optional<std::int32_t>& program);

// Throws ToolError(usage) when the plug-in's standard does not offer what is asked.
void checkSessionFormat(const host::HostedPlugin& plugin, const host::SessionFormat& format);

// How a session starts: what the host tells the plug-in before the first block.
struct SessionStart
{
    host::SessionFormat format;
    std::optional<std::int32_t> program; // checked with checkProgram
    std::vector<ResolvedValue> settings; // applied in order, over the program
};

// Prepares the opened plug-in as a host does: program, values, then the session's start.
void startSession(host::HostedPlugin& plugin, const SessionStart& start);

} // namespace sweepfilter::tool
