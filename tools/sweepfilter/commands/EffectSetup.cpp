#include "EffectSetup.h"

#include "ToolError.h"

namespace sweepfilter::tool
{

std::size_t parameterIndex(const host::HostedPlugin& plugin, const std::string& parameter)
{
    if (const auto index = plugin.findParameter(parameter))
        return *index;
    std::string known;
    for (std::size_t i = 0; i < plugin.parameters().size(); ++i)
        known += (i ? ", " : "") + std::to_string(i) + " '" + plugin.parameters()[i].name + "'";
    throw ToolError(ExitCode::usage,
                    "unknown parameter '" + parameter + "' (the plug-in has " + known + ")");
}

ResolvedValue resolveValue(host::HostedPlugin& plugin, const std::string& parameter,
                           const std::string& value, const char* option,
                           const std::string& argument)
{
    const std::size_t index = parameterIndex(plugin, parameter);
    const host::PluginParameter& described = plugin.parameters()[index];
    if (const auto number = numberInRange(value, described.minimum, described.maximum,
                                          described.unit, option, argument))
        return {index, *number};
    if (const auto named = plugin.valueOf(index, value);
        named && *named >= described.minimum && *named <= described.maximum)
        return {index, *named};
    throw notAValue(value, described.minimum, described.maximum, described.unit, option, argument);
}

std::vector<ResolvedValue> resolveSettings(host::HostedPlugin& plugin,
                                           const std::vector<ParameterSetting>& settings)
{
    std::vector<ResolvedValue> resolved;
    for (const auto& setting : settings)
        resolved.push_back(
            resolveValue(plugin, setting.parameter, setting.value, "--set", setting.argument));
    return resolved;
}

void checkProgram(host::HostedPlugin& plugin, const std::optional<std::int32_t>& program)
{
    if (!program)
        return;
    const auto count = static_cast<std::int32_t>(plugin.programs().size());
    if (*program < 0 || *program >= count)
        throw ToolError(ExitCode::usage,
                        "--program " + std::to_string(*program) + ": program " +
                            std::to_string(*program) + " does not exist; " +
                            (count > 0 ? "the plug-in's are 0 to " + std::to_string(count - 1)
                                       : std::string("the plug-in has none")));
}

void checkSessionFormat(const host::HostedPlugin& plugin, const host::SessionFormat& format)
{
    const std::string standard = plugin.standard();
    if (format.accumulate && !plugin.accumulates())
        throw ToolError(ExitCode::usage, "--accumulate: a " + standard +
                                             " plug-in has no accumulating process call");
    if (format.time && !plugin.followsHostTime())
        throw ToolError(ExitCode::usage,
                        "--tempo: this " + standard +
                            " plug-in takes no host time (a 2.0 plug-in's sweep follows its own "
                            "Tempo parameter; an LV2 plug-in needs an atom input)");
}

void startSession(host::HostedPlugin& plugin, const SessionStart& start)
{
    if (start.program)
        plugin.selectProgram(*start.program);
    for (auto [index, value] : start.settings)
        plugin.set(index, value);
    plugin.start(start.format);
}

} // namespace sweepfilter::tool
