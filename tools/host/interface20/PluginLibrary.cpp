#include "PluginLibrary.h"

#include <filesystem>
#include <system_error>

#include "PluginError.h"

namespace sweepfilter::host
{
namespace
{

#if defined(_WIN32)
constexpr const char* libraryFileName = "sweepfilter.dll";
#else
constexpr const char* libraryFileName = "sweepfilter.so";
#endif

} // namespace

PluginLibrary::PluginLibrary(const std::string& path)
    : library_(path),
      main_(reinterpret_cast<EffectRecord* (*)(HostCallback)>(library_.symbol("main")))
{
    if (!main_)
        throw PluginError("plug-in library " + path + " exports no 'main'");
}

EffectRecord* PluginLibrary::createEffect(HostCallback callback) const
{
    return main_(callback);
}

std::string PluginLibrary::defaultPath()
{
    const auto executable = executablePath();
    const auto folder =
        executable.empty() ? std::filesystem::current_path() : executable.parent_path();
    const auto beside = folder / libraryFileName;
    // Installed, the tool is in <prefix>/bin and the module in <prefix>/lib/sweepfilter.
    const auto installed = folder.parent_path() / "lib" / "sweepfilter" / libraryFileName;
    std::error_code unknown;
    if (!std::filesystem::exists(beside, unknown) && std::filesystem::exists(installed, unknown))
        return installed.lexically_normal().string();
    return beside.string();
}

} // namespace sweepfilter::host
