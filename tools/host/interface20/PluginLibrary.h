#pragma once

#include <string>

#include "EffectRecord.h"
#include "SharedLibrary.h"

namespace sweepfilter::host
{

// A plug-in library loaded the way a host loads one: dlopen, then its exported `main`.
// Any library with this interface works, not only ours.
class PluginLibrary
{
public:
    // Loads the file `path` names (a bare name is a file in the current folder). Throws
    // PluginError when the file does not load or has no `main`.
    explicit PluginLibrary(const std::string& path);
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Calls `main` with the callback; null when the plug-in makes no effect.
    EffectRecord* createEffect(HostCallback callback) const;
    const std::string& path() const { return library_.path(); }

    // The plug-in next to the running executable, where the build puts it, or else where
    // an install puts it relative to the executable (<prefix>/lib/sweepfilter).
    static std::string defaultPath();

private:
    SharedLibrary library_;
    EffectRecord* (*main_)(HostCallback);
};

} // namespace sweepfilter::host
