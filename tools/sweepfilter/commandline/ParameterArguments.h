#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ToolError.h"

namespace sweepfilter::tool
{

// `--set PARAM=VALUE`: PARAM an index or a name; VALUE a number in the parameter's range (0..1
// for the 2.0 interface) or a text the plug-in reads ("hard", "Host"), resolved once the
// plug-in is open.
struct ParameterSetting
{
    std::string parameter;
    std::string value;
    std::string argument; // as given, for messages
};

// `--automate PARAM@TIME=VALUE`: TIME in seconds ("1.5", "1.5s") or samples ("66150smp").
struct ParameterChange
{
    std::string parameter;
    double time;
    bool timeInSamples;
    std::string value;
    std::string argument;

    std::int64_t frame(double sampleRate) const;
};

// Parse one argument; throw ToolError(ExitCode::usage) naming what is wrong.
ParameterSetting parseSetting(const std::string& argument);
ParameterChange parseChange(const std::string& argument);

// VALUE as a number within [minimum, maximum] when it is one; none when it is not a number.
// Throws ToolError(usage) for a number outside the range. `option` and `argument` name the
// argument in the message.
std::optional<double> numberInRange(const std::string& value, double minimum, double maximum,
                                    const std::string& unit, const char* option,
                                    const std::string& argument);

// The usage error for a VALUE that is neither a number nor a text the plug-in reads.
ToolError notAValue(const std::string& value, double minimum, double maximum,
                    const std::string& unit, const char* option, const std::string& argument);
} // namespace sweepfilter::tool
