#include "HostedPlugin.h"

#include <cctype>
#include <charconv>

namespace sweepfilter::host
{

std::string comparableName(const std::string& name)
{
    std::string folded;
    for (const char raw : name)
        if (const auto c = static_cast<unsigned char>(raw);
            !std::isspace(c) && raw != '-' && raw != '_')
            folded += static_cast<char>(std::tolower(c));
    return folded;
}

std::optional<std::size_t> HostedPlugin::findParameter(const std::string& indexOrName) const
{
    std::size_t index = 0;
    const char* end = indexOrName.data() + indexOrName.size();
    if (const auto [rest, error] = std::from_chars(indexOrName.data(), end, index);
        error == std::errc() && rest == end)
        return index < parameters_.size() ? std::optional(index) : std::nullopt;
    const std::string wanted = comparableName(indexOrName);
    if (wanted.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < parameters_.size(); ++i)
        if (comparableName(parameters_[i].name) == wanted ||
            comparableName(parameters_[i].symbol) == wanted)
            return i;
    return std::nullopt;
}

} // namespace sweepfilter::host
