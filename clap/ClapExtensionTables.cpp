#include "ClapExtensionTables.h"

#include <cstring>

#include "ClapParameters.h"
#include "ClapPlugin.h"

namespace sweepfilter::clap
{
namespace
{

constexpr clap_plugin_params params = {
    [](const clap_plugin* p) { return ClapPlugin::of(p) ? parameterCount : 0u; },
    [](const clap_plugin* p, std::uint32_t index, clap_param_info* info) {
        return ClapPlugin::of(p) && info && describeParameter(index, *info);
    },
    [](const clap_plugin* p, clap_id id, double* value) {
        return ClapPlugin::of(p) && value && ClapPlugin::of(p)->getValue(id, *value);
    },
    [](const clap_plugin* p, clap_id id, double value, char* text, std::uint32_t capacity) {
        const auto control = controlOf(id);
        return ClapPlugin::of(p) && control && valueToText(*control, value, text, capacity);
    },
    [](const clap_plugin* p, clap_id id, const char* text, double* value) {
        const auto control = controlOf(id);
        if (!ClapPlugin::of(p) || !control || !value)
            return false;
        const auto read = textToValue(*control, text);
        if (read)
            *value = *read;
        return read.has_value();
    },
    [](const clap_plugin* p, const clap_input_events* in, const clap_output_events*) {
        if (ClapPlugin::of(p))
            ClapPlugin::of(p)->flush(in);
    },
};

constexpr clap_plugin_audio_ports audioPorts = {
    [](const clap_plugin* p, bool) { return ClapPlugin::of(p) ? 1u : 0u; },
    [](const clap_plugin* p, std::uint32_t index, bool isInput, clap_audio_port_info* info) {
        if (!ClapPlugin::of(p) || index != 0 || !info)
            return false;
        *info = {};
        info->id = 0;
        std::strcpy(info->name, isInput ? "Input" : "Output");
        info->flags = CLAP_AUDIO_PORT_IS_MAIN;
        info->channel_count = 2;
        info->port_type = CLAP_PORT_STEREO;
        info->in_place_pair = 0; // the port of the same id on the other side
        return true;
    },
};

constexpr clap_plugin_state state = {
    [](const clap_plugin* p, const clap_ostream* stream) {
        return ClapPlugin::of(p) && stream && ClapPlugin::of(p)->save(*stream);
    },
    [](const clap_plugin* p, const clap_istream* stream) {
        return ClapPlugin::of(p) && stream && ClapPlugin::of(p)->load(*stream);
    },
};

constexpr clap_plugin_latency latency = {
    [](const clap_plugin*) { return 0u; },
};

} // namespace

const void* extensionFor(const char* id) noexcept
{
    if (!id)
        return nullptr;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
        return &params;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0)
        return &audioPorts;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0)
        return &state;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0)
        return &latency;
    return nullptr;
}

} // namespace sweepfilter::clap
