#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ParameterArguments.h"

namespace sweepfilter::tool
{

struct ResponseOptions
{
    std::string plugin;
    std::optional<std::int32_t> program;
    std::vector<ParameterSetting> settings;
    std::string picture; // FILE.png or FILE.svg; may be empty when only the CSV is wanted
    std::string csv;
};

// The magnitude response of a plug-in's effect, measured like a host would: an impulse and
// silence through the record, then the transform of what comes out.
struct MeasuredResponse
{
    double sampleRate = 44100.0;
    std::vector<double> frequencies;  // Hz, bins 0 .. Nyquist
    std::vector<double> left, right;  // dB
    std::vector<std::string> caption; // the eight parameters as the host shows them
};

// Holds the sweep (Mod Range) and the send off unless the settings name them. Throws ToolError.
MeasuredResponse measureResponse(const ResponseOptions& options);

// The checks that need no plug-in: where the response goes.
void checkResponseOptions(const ResponseOptions& options);

// Measures, then writes the picture and/or the CSV. Throws ToolError.
void writeResponse(const ResponseOptions& options);

} // namespace sweepfilter::tool
