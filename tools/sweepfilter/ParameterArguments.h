#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sweepfilter::tool
{

// `--set PARAM=VALUE`: PARAM an index or a name, VALUE in 0..1.
struct ParameterSetting
{
    std::string parameter;
    float value;
};

// `--automate PARAM@TIME=VALUE`: TIME in seconds ("1.5", "1.5s") or samples ("66150smp").
struct ParameterChange
{
    std::string parameter;
    double time;
    bool timeInSamples;
    float value;

    std::int64_t frame(double sampleRate) const;
};

// Parse one argument; throw ToolError(ExitCode::usage) naming what is wrong.
ParameterSetting parseSetting(const std::string& argument);
ParameterChange parseChange(const std::string& argument);

} // namespace sweepfilter::tool
