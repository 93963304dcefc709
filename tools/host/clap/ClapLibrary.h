#pragma once

#include <string>
#include <vector>

#include "ClapEntry.h"
#include "SharedLibrary.h"

namespace sweepfilter::host
{

// A CLAP module loaded the way a careful host loads one: the library, its `clap_entry`
// checked for a compatible version and initialised, its plug-in factory found and every
// descriptor checked. Any module works, not only ours. Deinitialised and closed at the end.
class ClapLibrary
{
public:
    // Throws PluginError when any of that fails, saying what.
    explicit ClapLibrary(const std::string& path);
    ~ClapLibrary();
    ClapLibrary(const ClapLibrary&) = delete;
    ClapLibrary& operator=(const ClapLibrary&) = delete;

    const clap::clap_plugin_entry& entry() const { return *entry_; }
    const clap::clap_plugin_factory& factory() const { return *factory_; }
    const std::vector<const clap::clap_plugin_descriptor*>& descriptors() const
    {
        return descriptors_;
    }
    const std::string& path() const { return library_.path(); }

private:
    SharedLibrary library_;
    const clap::clap_plugin_entry* entry_;
    const clap::clap_plugin_factory* factory_ = nullptr;
    std::vector<const clap::clap_plugin_descriptor*> descriptors_;
};

} // namespace sweepfilter::host
