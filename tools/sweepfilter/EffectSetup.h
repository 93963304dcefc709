#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "HostedEffect.h"
#include "ParameterArguments.h"

namespace sweepfilter::tool
{

// The index of a parameter named on the command line (an index or a name); throws
// ToolError(usage) listing the plug-in's parameters when there is none.
std::int32_t parameterIndex(host::HostedEffect& effect, const std::string& parameter);

// The settings with their parameters looked up; throws as parameterIndex does.
std::vector<std::pair<std::int32_t, float>>
resolveSettings(host::HostedEffect& effect, const std::vector<ParameterSetting>& settings);

// Throws ToolError(usage) when the program does not exist in the plug-in.
void checkProgram(host::HostedEffect& effect, const std::optional<std::int32_t>& program);

// How a session starts: what the host tells the effect before the first block.
struct SessionStart
{
    double sampleRate;
    std::int32_t blockFrames;
    std::optional<std::int32_t> program;                  // checked with checkProgram
    std::vector<std::pair<std::int32_t, float>> settings; // resolved, applied in order
};

// Prepares the opened effect as a host does: sample rate, block size, program, settings, then
// resume.
void startSession(host::HostedEffect& effect, const SessionStart& start);

} // namespace sweepfilter::tool
