#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "HostedEffect.h"

namespace sweepfilter::tool
{

// The index of a parameter named on the command line (an index or a name); throws
// HostError(Problem::usage) listing the plug-in's parameters when there is none.
std::int32_t parameterIndex(host::HostedEffect& effect, const std::string& parameter);

// Throws HostError(Problem::usage) when the program does not exist in the plug-in.
void checkProgram(host::HostedEffect& effect, const std::optional<std::int32_t>& program);

} // namespace sweepfilter::tool
