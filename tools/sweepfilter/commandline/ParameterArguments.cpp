#include "ParameterArguments.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sweepfilter::tool
{

namespace
{

bool parseNumber(const std::string& text, double& number)
{
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, number);
    return error == std::errc() && rest == end && std::isfinite(number);
}

// Messages name the option and the argument, then say what is wrong and what is allowed.
ToolError badArgument(const char* option, const std::string& argument, const std::string& problem)
{
    return ToolError(ExitCode::usage, std::string(option) + " " + argument + ": " + problem);
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string allowed(double minimum, double maximum, const std::string& unit)
{
    return "VALUE is a number from " + number(minimum) + " to " + number(maximum) +
           (unit.empty() ? "" : " (" + unit + ")");
}

void requireValue(const std::string& value, const char* option, const std::string& argument)
{
    if (value.empty())
        throw badArgument(option, argument, "no value given after '='");
}

void requireParameter(const std::string& parameter, const char* option, const std::string& argument)
{
    if (parameter.empty())
        throw badArgument(option, argument,
                          "no parameter named; PARAM is a parameter's index or name");
}

} // namespace

std::optional<double> numberInRange(const std::string& value, double minimum, double maximum,
                                    const std::string& unit, const char* option,
                                    const std::string& argument)
{
    double parsed = 0.0;
    if (!parseNumber(value, parsed))
        return std::nullopt;
    if (parsed < minimum || parsed > maximum)
        throw badArgument(option, argument,
                          "value " + value + " is outside " + number(minimum) + ".." +
                              number(maximum) + "; " + allowed(minimum, maximum, unit));
    return parsed;
}

ToolError notAValue(const std::string& value, double minimum, double maximum,
                    const std::string& unit, const char* option, const std::string& argument)
{
    return badArgument(option, argument,
                       "not a number: '" + value + "'; " + allowed(minimum, maximum, unit) +
                           ", or a value's name as the plug-in shows it");
}

std::int64_t ParameterChange::frame(double sampleRate) const
{
    // Times beyond any frame number (1e15 s, a 20-digit sample count) become the largest
    // one, which every render reports as beyond its end; no conversion goes out of range.
    const double frames = std::round(timeInSamples ? time : time * sampleRate);
    if (!(frames < 9.0e18))
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(frames);
}

ParameterSetting parseSetting(const std::string& argument)
{
    const auto equals = argument.rfind('=');
    if (equals == std::string::npos)
        throw badArgument("--set", argument, "expected PARAM=VALUE");
    ParameterSetting setting{argument.substr(0, equals), argument.substr(equals + 1), argument};
    requireParameter(setting.parameter, "--set", argument);
    requireValue(setting.value, "--set", argument);
    return setting;
}

ParameterChange parseChange(const std::string& argument)
{
    const auto at = argument.find('@');
    const auto equals = argument.rfind('=');
    if (at == std::string::npos || equals == std::string::npos || equals < at)
        throw badArgument("--automate", argument, "expected PARAM@TIME=VALUE");
    ParameterChange change{argument.substr(0, at), 0.0, false, argument.substr(equals + 1),
                           argument};
    requireParameter(change.parameter, "--automate", argument);
    std::string time = argument.substr(at + 1, equals - at - 1);
    if (time.size() > 3 && time.ends_with("smp"))
    {
        change.timeInSamples = true;
        time.resize(time.size() - 3);
    }
    else if (time.size() > 1 && time.ends_with('s'))
    {
        time.pop_back();
    }
    if (!parseNumber(time, change.time) || change.time < 0.0)
        throw badArgument("--automate", argument,
                          "not a time: '" + argument.substr(at + 1, equals - at - 1) +
                              "'; TIME is seconds (1.5 or 1.5s) or samples (66150smp) from 0 on");
    requireValue(change.value, "--automate", argument);
    return change;
}

} // namespace sweepfilter::tool
