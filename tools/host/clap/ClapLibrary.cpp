#include "ClapLibrary.h"

#include <filesystem>

#include "PluginError.h"

namespace sweepfilter::host
{
namespace
{

std::string versionText(const clap::clap_version& v)
{
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
           std::to_string(v.revision);
}

bool isText(const char* text)
{
    return text && *text;
}

void checkDescriptor(const clap::clap_plugin_descriptor* d, const std::string& path)
{
    if (!d)
        throw PluginError(path + ": the factory gives no descriptor for an index below its count");
    if (!clap::clap_version_is_compatible(d->clap_version))
        throw PluginError(path + ": a plug-in of incompatible CLAP version " +
                          versionText(d->clap_version));
    if (!isText(d->id) || !isText(d->name))
        throw PluginError(path + ": a plug-in without an id or a name");
    if (!d->features)
        throw PluginError(path + ": plug-in " + d->id + " has no feature list");
}

} // namespace

ClapLibrary::ClapLibrary(const std::string& path)
    : library_(path),
      entry_(static_cast<const clap::clap_plugin_entry*>(library_.symbol("clap_entry")))
{
    if (!entry_)
        throw PluginError("plug-in library " + path + " exports no 'clap_entry'");
    if (!clap::clap_version_is_compatible(entry_->clap_version))
        throw PluginError(path + ": incompatible CLAP version " +
                          versionText(entry_->clap_version));
    if (!entry_->init || !entry_->deinit || !entry_->get_factory)
        throw PluginError(path + ": clap_entry lacks a function");
    // The module's own file, as an absolute path.
    if (!entry_->init(std::filesystem::absolute(path).string().c_str()))
        throw PluginError(path + ": the module refused to initialise");
    factory_ = static_cast<const clap::clap_plugin_factory*>(
        entry_->get_factory(clap::CLAP_PLUGIN_FACTORY_ID));
    try
    {
        if (!factory_ || !factory_->get_plugin_count || !factory_->get_plugin_descriptor ||
            !factory_->create_plugin)
            throw PluginError(path + ": no plug-in factory");
        const std::uint32_t count = factory_->get_plugin_count(factory_);
        for (std::uint32_t i = 0; i < count; ++i)
        {
            descriptors_.push_back(factory_->get_plugin_descriptor(factory_, i));
            checkDescriptor(descriptors_.back(), path);
        }
        if (factory_->get_plugin_descriptor(factory_, count))
            throw PluginError(path + ": the factory gives a descriptor beyond its count");
    }
    catch (...)
    {
        entry_->deinit();
        throw;
    }
}

ClapLibrary::~ClapLibrary()
{
    entry_->deinit();
}

} // namespace sweepfilter::host
