#include "ParameterArguments.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "ToolError.h"

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

float parseValue(const std::string& text, const char* option, const std::string& argument)
{
    double value = 0.0;
    if (!parseNumber(text, value))
        throw badArgument(option, argument,
                          "not a number: '" + text + "'; VALUE is a number from 0 to 1");
    if (value < 0.0 || value > 1.0)
        throw badArgument(option, argument,
                          "value " + text + " is outside 0..1; VALUE is a number from 0 to 1");
    return static_cast<float>(value);
}

void requireParameter(const std::string& parameter, const char* option, const std::string& argument)
{
    if (parameter.empty())
        throw badArgument(option, argument,
                          "no parameter named; PARAM is a parameter's index or name");
}

} // namespace

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
    ParameterSetting setting{argument.substr(0, equals), 0.0f};
    requireParameter(setting.parameter, "--set", argument);
    setting.value = parseValue(argument.substr(equals + 1), "--set", argument);
    return setting;
}

ParameterChange parseChange(const std::string& argument)
{
    const auto at = argument.find('@');
    const auto equals = argument.rfind('=');
    if (at == std::string::npos || equals == std::string::npos || equals < at)
        throw badArgument("--automate", argument, "expected PARAM@TIME=VALUE");
    ParameterChange change{argument.substr(0, at), 0.0, false, 0.0f};
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
    change.value = parseValue(argument.substr(equals + 1), "--automate", argument);
    return change;
}

} // namespace sweepfilter::tool
