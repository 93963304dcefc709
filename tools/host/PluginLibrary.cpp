#include "PluginLibrary.h"

#include <dlfcn.h>

#include <filesystem>

#include "HostError.h"

namespace sweepfilter::host
{

PluginLibrary::PluginLibrary(const std::string& path) : path_(path)
{
    if (!std::filesystem::exists(path))
        throw HostError(Problem::plugin, "plug-in library not found: " + path);
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw HostError(Problem::plugin, "cannot load plug-in library " + path + ": " + dlerror());
    main_ = reinterpret_cast<EffectRecord* (*)(HostCallback)>(dlsym(handle_, "main"));
    if (!main_)
    {
        dlclose(handle_);
        throw HostError(Problem::plugin, "plug-in library " + path + " exports no 'main'");
    }
}

PluginLibrary::~PluginLibrary()
{
    dlclose(handle_);
}

EffectRecord* PluginLibrary::createEffect(HostCallback callback) const
{
    return main_(callback);
}

std::string PluginLibrary::besideExecutable()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto folder = error ? std::filesystem::current_path() : executable.parent_path();
    return (folder / "sweepfilter.so").string();
}

} // namespace sweepfilter::host
