#include <cctype>
#include <filesystem>
#include <system_error>

#include "ClapHostedPlugin.h"
#include "HostedPlugin.h"
#include "Interface20Plugin.h"
#include "Lv2HostedPlugin.h"

namespace sweepfilter::host
{
namespace
{

// "urn:...", "http://...": a scheme of two or more letters, then a colon.
bool looksLikeUri(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon < 2 ||
        !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i)
        if (const auto c = static_cast<unsigned char>(text[i]);
            !std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    return true;
}

} // namespace

std::unique_ptr<HostedPlugin> openPlugin(const std::string& plugin)
{
    std::error_code unknown;
    const bool folder = std::filesystem::is_directory(plugin, unknown);
    if (folder)
        return std::make_unique<Lv2HostedPlugin>(plugin);
    if (plugin.ends_with(".clap"))
        return std::make_unique<ClapHostedPlugin>(plugin);
    if (looksLikeUri(plugin) && !std::filesystem::exists(plugin, unknown))
        return std::make_unique<Lv2HostedPlugin>(plugin);
    return std::make_unique<Interface20Plugin>(plugin);
}

} // namespace sweepfilter::host
