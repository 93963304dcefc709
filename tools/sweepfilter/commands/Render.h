#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ParameterArguments.h"
#include "Verbosity.h"

namespace sweepfilter::tool
{

struct RenderOptions
{
    std::string input;
    std::string output;
    std::string plugin;
    std::optional<std::int32_t> program;
    std::vector<ParameterSetting> settings;
    std::vector<ParameterChange> changes;
    std::int32_t blockFrames = 512;
    bool accumulate = false;
    double tailSeconds = 0.0;
    std::string format = "float"; // float, pcm16, pcm24, pcm32 or input
    std::string type;             // the output's container when not its extension's
    bool zeroNonFinite = false;   // render NaN and infinite input samples as zero
    std::optional<double> tempo;  // BPM: host time for LV2 and CLAP plug-ins
    double startBeat = 0.0;       // the host's position at the first frame, in beats
    Verbosity verbosity = Verbosity::normal;
};

// Runs the input file through a plug-in of any standard into the output file, as a host would:
// program and settings, the session's start, the blocks (split where automation falls, so that
// a change applies from its very frame), the session's end. The input is read once. An output file
// appears only when complete. An input holding NaN or infinite samples is refused at the end
// (nothing is left behind) unless they are to be rendered as zero. Throws ToolError.
void render(const RenderOptions& options);

// The checks that need no file: the tail, the output path and its container.
void checkRenderOptions(const RenderOptions& options);

} // namespace sweepfilter::tool
