#pragma once

#include <string>

#include "Verbosity.h"

namespace sweepfilter::tool
{

// Makes a test signal (a band-limited sawtooth chord, then noise), renders it through a few
// settings that show what the effect does, and writes the WAV files and a listing of them
// into `folder`. Throws ToolError.
void runDemo(const std::string& folder, const std::string& pluginPath, Verbosity verbosity);

} // namespace sweepfilter::tool
