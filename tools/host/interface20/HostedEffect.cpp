#include "HostedEffect.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "HostedPlugin.h"
#include "PluginError.h"

namespace sweepfilter::host
{

HostedEffect::HostedEffect(const PluginLibrary& library)
    : record_(library.createEffect(&HostedEffect::hostCallback))
{
    const std::string source = "plug-in " + library.path();
    if (!record_)
        throw PluginError(source + " made no effect (its main returned null)");
    std::string problem;
    if (record_->magic != effectMagic)
        problem = "its record has the wrong magic";
    else if (record_->numInputs != 2 || record_->numOutputs != 2)
        problem = "it has " + std::to_string(record_->numInputs) + " inputs and " +
                  std::to_string(record_->numOutputs) + " outputs, not 2 and 2";
    if (!problem.empty())
    {
        // A record without the magic may not be an effect at all: leave it alone.
        if (record_->magic == effectMagic)
            close();
        record_ = nullptr;
        throw PluginError(source + " is not usable: " + problem);
    }
}

HostedEffect::~HostedEffect()
{
    if (record_)
        close();
}

std::intptr_t HostedEffect::dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                                     void* pointer, float option)
{
    return record_->dispatch(record_, opcode, index, value, pointer, option);
}

std::intptr_t HostedEffect::close()
{
    const std::intptr_t answer = dispatch(opcode::close);
    record_ = nullptr;
    return answer;
}

std::string HostedEffect::text(std::int32_t opcode, std::int32_t index)
{
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

std::int32_t HostedEffect::findParameter(const std::string& indexOrName)
{
    std::int32_t index = -1;
    const char* end = indexOrName.data() + indexOrName.size();
    const auto [rest, error] = std::from_chars(indexOrName.data(), end, index);
    if (error == std::errc() && rest == end)
        return index >= 0 && index < parameterCount() ? index : -1;
    const std::string wanted = comparableName(indexOrName);
    for (std::int32_t i = 0; i < parameterCount(); ++i)
        if (!wanted.empty() && comparableName(parameterName(i)) == wanted)
            return i;
    return -1;
}

std::intptr_t HostedEffect::hostCallback(EffectRecord*, std::int32_t opcode, std::int32_t,
                                         std::intptr_t, void*, float)
{
    return opcode == 1 ? 1 : 0;
}

std::string fourCharacterText(std::int32_t code)
{
    const auto bits = static_cast<std::uint32_t>(code);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((bits >> shift) & 0xFFu);
        text += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    }
    return text;
}

} // namespace sweepfilter::host
