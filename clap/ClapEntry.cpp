// The module's entry: `clap_entry`, the only symbol it exports, leads to a factory of one
// plug-in.

#include <cstring>

#include "ClapPlugin.h"

namespace
{

using namespace sweepfilter::clap;

constexpr const char* features[] = {"audio-effect", "filter", "stereo", nullptr};

constexpr clap_plugin_descriptor descriptor = {
    CLAP_VERSION,
    SWEEPFILTER_CLAP_ID,
    "sweepfilter",
    "The sweepfilter developers",
    "",
    "",
    "",
    SWEEPFILTER_VERSION,
    "Resonant low-pass with a tempo-synced sweep and a flanger send",
    features,
};

constexpr clap_plugin_factory factory = {
    [](const clap_plugin_factory*) { return 1u; },
    [](const clap_plugin_factory*, std::uint32_t index) {
        return index == 0 ? &descriptor : nullptr;
    },
    [](const clap_plugin_factory*, const clap_host* host, const char* id) {
        return id && std::strcmp(id, descriptor.id) == 0 ? ClapPlugin::create(host, &descriptor)
                                                         : nullptr;
    },
};

// Nothing to set up: the module holds no state beyond its instances.
bool init(const char*)
{
    return true;
}

void deinit() {}

const void* getFactory(const char* id)
{
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &factory : nullptr;
}

} // namespace

extern "C" __attribute__((visibility("default")))
const clap_plugin_entry clap_entry = {CLAP_VERSION, init, deinit, getFactory};
