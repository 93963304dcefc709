#pragma once

#include <string>

namespace sweepfilter::tool
{

// Prints what a host would show of a plug-in: its record's facts, its programs and its
// parameters, as text or as JSON. Throws ToolError.
void printInfo(const std::string& pluginPath, bool json);

} // namespace sweepfilter::tool
