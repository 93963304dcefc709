#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ParameterArguments.h"

namespace sweepfilter::tool
{

enum class Verbosity
{
    quiet,
    normal,
    verbose
};

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
    Verbosity verbosity = Verbosity::normal;
};

// Runs the input file through a plug-in into the output file, as a host would: sample rate
// and block size first, then program and settings, resume, the blocks (split where automation
// falls), suspend and close. The output appears only when complete. Throws ToolError.
void render(const RenderOptions& options);

// Set by SIGINT or SIGTERM: a running render stops and leaves no output behind.
void installInterruptHandlers();

} // namespace sweepfilter::tool
