#include "EffectSetup.h"

#include "HostError.h"

namespace sweepfilter::tool
{
using host::HostError;
using host::Problem;

std::int32_t parameterIndex(host::HostedEffect& effect, const std::string& parameter)
{
    const std::int32_t index = effect.findParameter(parameter);
    if (index >= 0)
        return index;
    std::string known;
    for (std::int32_t i = 0; i < effect.parameterCount(); ++i)
        known += (i ? ", " : "") + std::to_string(i) + " '" + effect.parameterName(i) + "'";
    throw HostError(Problem::usage,
                    "unknown parameter '" + parameter + "' (the plug-in has " + known + ")");
}

void checkProgram(host::HostedEffect& effect, const std::optional<std::int32_t>& program)
{
    if (program && (*program < 0 || *program >= effect.programCount()))
        throw HostError(Problem::usage, "program " + std::to_string(*program) +
                                            " does not exist (the plug-in has " +
                                            std::to_string(effect.programCount()) + ")");
}

} // namespace sweepfilter::tool
