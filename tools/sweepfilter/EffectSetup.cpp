#include "EffectSetup.h"

#include "ToolError.h"

namespace sweepfilter::tool
{

std::int32_t parameterIndex(host::HostedEffect& effect, const std::string& parameter)
{
    const std::int32_t index = effect.findParameter(parameter);
    if (index >= 0)
        return index;
    std::string known;
    for (std::int32_t i = 0; i < effect.parameterCount(); ++i)
        known += (i ? ", " : "") + std::to_string(i) + " '" + effect.parameterName(i) + "'";
    throw ToolError(ExitCode::usage,
                    "unknown parameter '" + parameter + "' (the plug-in has " + known + ")");
}

void checkProgram(host::HostedEffect& effect, const std::optional<std::int32_t>& program)
{
    if (program && (*program < 0 || *program >= effect.programCount()))
        throw ToolError(ExitCode::usage, "--program " + std::to_string(*program) + ": program " +
                                             std::to_string(*program) + " does not exist; " +
                                             (effect.programCount() > 0
                                                  ? "the plug-in's are 0 to " +
                                                        std::to_string(effect.programCount() - 1)
                                                  : std::string("the plug-in has none")));
}

std::vector<std::pair<std::int32_t, float>>
resolveSettings(host::HostedEffect& effect, const std::vector<ParameterSetting>& settings)
{
    std::vector<std::pair<std::int32_t, float>> resolved;
    for (const auto& setting : settings)
        resolved.emplace_back(parameterIndex(effect, setting.parameter), setting.value);
    return resolved;
}

void startSession(host::HostedEffect& effect, const SessionStart& start)
{
    effect.setSampleRate(static_cast<float>(start.sampleRate));
    effect.setBlockSize(start.blockFrames);
    if (start.program)
        effect.setProgram(*start.program);
    for (auto [index, value] : start.settings)
        effect.setParameter(index, value);
    effect.resume();
}

} // namespace sweepfilter::tool
