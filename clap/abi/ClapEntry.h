#pragma once

#include "ClapBasics.h"

namespace sweepfilter::clap
{

struct clap_host
{
    clap::clap_version clap_version; // qualified: the member has the type's name
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(SWEEPFILTER_CLAP_CALL* get_extension)(const clap_host* host,
                                                      const char* extension_id);
    void(SWEEPFILTER_CLAP_CALL* request_restart)(const clap_host* host);
    void(SWEEPFILTER_CLAP_CALL* request_process)(const clap_host* host);
    void(SWEEPFILTER_CLAP_CALL* request_callback)(const clap_host* host);
};
static_assert(sizeof(clap_host) == at(88, 48) && alignof(clap_host) == at(8, 4));
static_assert(offsetof(clap_host, host_data) == at(16, 12));
static_assert(offsetof(clap_host, name) == at(24, 16));
static_assert(offsetof(clap_host, vendor) == at(32, 20));
static_assert(offsetof(clap_host, url) == at(40, 24));
static_assert(offsetof(clap_host, version) == at(48, 28));
static_assert(offsetof(clap_host, get_extension) == at(56, 32));
static_assert(offsetof(clap_host, request_restart) == at(64, 36));
static_assert(offsetof(clap_host, request_process) == at(72, 40));
static_assert(offsetof(clap_host, request_callback) == at(80, 44));

struct clap_plugin_descriptor
{
    clap::clap_version clap_version; // qualified: the member has the type's name
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features; // ends with a null pointer
};
static_assert(sizeof(clap_plugin_descriptor) == at(88, 48) &&
              alignof(clap_plugin_descriptor) == at(8, 4));
static_assert(offsetof(clap_plugin_descriptor, id) == at(16, 12));
static_assert(offsetof(clap_plugin_descriptor, name) == at(24, 16));
static_assert(offsetof(clap_plugin_descriptor, vendor) == at(32, 20));
static_assert(offsetof(clap_plugin_descriptor, url) == at(40, 24));
static_assert(offsetof(clap_plugin_descriptor, manual_url) == at(48, 28));
static_assert(offsetof(clap_plugin_descriptor, support_url) == at(56, 32));
static_assert(offsetof(clap_plugin_descriptor, version) == at(64, 36));
static_assert(offsetof(clap_plugin_descriptor, description) == at(72, 40));
static_assert(offsetof(clap_plugin_descriptor, features) == at(80, 44));

struct clap_process;

struct clap_plugin
{
    const clap_plugin_descriptor* desc;
    void* plugin_data;
    bool(SWEEPFILTER_CLAP_CALL* init)(const clap_plugin* plugin);
    void(SWEEPFILTER_CLAP_CALL* destroy)(const clap_plugin* plugin);
    bool(SWEEPFILTER_CLAP_CALL* activate)(const clap_plugin* plugin, double sample_rate,
                                          std::uint32_t min_frames_count,
                                          std::uint32_t max_frames_count);
    void(SWEEPFILTER_CLAP_CALL* deactivate)(const clap_plugin* plugin);
    bool(SWEEPFILTER_CLAP_CALL* start_processing)(const clap_plugin* plugin);
    void(SWEEPFILTER_CLAP_CALL* stop_processing)(const clap_plugin* plugin);
    void(SWEEPFILTER_CLAP_CALL* reset)(const clap_plugin* plugin);
    std::int32_t(SWEEPFILTER_CLAP_CALL* process)(const clap_plugin* plugin,
                                                 const clap_process* process);
    const void*(SWEEPFILTER_CLAP_CALL* get_extension)(const clap_plugin* plugin, const char* id);
    void(SWEEPFILTER_CLAP_CALL* on_main_thread)(const clap_plugin* plugin);
};
static_assert(sizeof(clap_plugin) == at(96, 48) && alignof(clap_plugin) == at(8, 4));
static_assert(offsetof(clap_plugin, plugin_data) == at(8, 4));
static_assert(offsetof(clap_plugin, init) == at(16, 8));
static_assert(offsetof(clap_plugin, destroy) == at(24, 12));
static_assert(offsetof(clap_plugin, activate) == at(32, 16));
static_assert(offsetof(clap_plugin, deactivate) == at(40, 20));
static_assert(offsetof(clap_plugin, start_processing) == at(48, 24));
static_assert(offsetof(clap_plugin, stop_processing) == at(56, 28));
static_assert(offsetof(clap_plugin, reset) == at(64, 32));
static_assert(offsetof(clap_plugin, process) == at(72, 36));
static_assert(offsetof(clap_plugin, get_extension) == at(80, 40));
static_assert(offsetof(clap_plugin, on_main_thread) == at(88, 44));

inline constexpr char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

struct clap_plugin_factory
{
    std::uint32_t(SWEEPFILTER_CLAP_CALL* get_plugin_count)(const clap_plugin_factory* factory);
    const clap_plugin_descriptor*(SWEEPFILTER_CLAP_CALL* get_plugin_descriptor)(
        const clap_plugin_factory* factory, std::uint32_t index);
    const clap_plugin*(SWEEPFILTER_CLAP_CALL* create_plugin)(const clap_plugin_factory* factory,
                                                             const clap_host* host,
                                                             const char* plugin_id);
};
static_assert(sizeof(clap_plugin_factory) == at(24, 12) &&
              alignof(clap_plugin_factory) == at(8, 4));
static_assert(offsetof(clap_plugin_factory, get_plugin_descriptor) == at(8, 4));
static_assert(offsetof(clap_plugin_factory, create_plugin) == at(16, 8));

// The type of the one symbol a CLAP library exports, `clap_entry` (a data object).
struct clap_plugin_entry
{
    clap::clap_version clap_version; // qualified: the member has the type's name
    bool(SWEEPFILTER_CLAP_CALL* init)(const char* plugin_path);
    void(SWEEPFILTER_CLAP_CALL* deinit)();
    const void*(SWEEPFILTER_CLAP_CALL* get_factory)(const char* factory_id);
};
static_assert(sizeof(clap_plugin_entry) == at(40, 24) && alignof(clap_plugin_entry) == at(8, 4));
static_assert(offsetof(clap_plugin_entry, init) == at(16, 12));
static_assert(offsetof(clap_plugin_entry, deinit) == at(24, 16));
static_assert(offsetof(clap_plugin_entry, get_factory) == at(32, 20));

} // namespace sweepfilter::clap
