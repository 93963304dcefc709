#include "PluginLibrary.h"

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

std::string PluginLibrary::besideExecutable()
{
    const auto executable = executablePath();
    const auto folder =
        executable.empty() ? std::filesystem::current_path() : executable.parent_path();
    return (folder / libraryFileName).string();
}

} // namespace sweepfilter::host
