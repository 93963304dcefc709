#pragma once

#include "ClapEntry.h"
#include "ClapEvents.h"

namespace sweepfilter::clap
{

inline constexpr char CLAP_EXT_PARAMS[] = "clap.params",
                      CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports", CLAP_EXT_STATE[] = "clap.state",
                      CLAP_EXT_LATENCY[] = "clap.latency", CLAP_EXT_LOG[] = "clap.log",
                      CLAP_EXT_THREAD_CHECK[] = "clap.thread-check",
                      CLAP_EXT_NOTE_PORTS[] = "clap.note-ports", CLAP_EXT_GUI[] = "clap.gui";

// params

inline constexpr std::uint32_t CLAP_PARAM_IS_STEPPED = 1, CLAP_PARAM_IS_PERIODIC = 2,
                               CLAP_PARAM_IS_HIDDEN = 4, CLAP_PARAM_IS_READONLY = 8,
                               CLAP_PARAM_IS_BYPASS = 16, CLAP_PARAM_IS_AUTOMATABLE = 32,
                               CLAP_PARAM_IS_MODULATABLE = 1024,
                               CLAP_PARAM_REQUIRES_PROCESS = 32768, CLAP_PARAM_IS_ENUM = 65536;

struct clap_param_info
{
    clap_id id;
    std::uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};
static_assert(sizeof(clap_param_info) == at(1320, 1316, 1320) &&
              alignof(clap_param_info) == at(8, 4, 8));
static_assert(offsetof(clap_param_info, flags) == 4);
static_assert(offsetof(clap_param_info, cookie) == 8);
static_assert(offsetof(clap_param_info, name) == at(16, 12));
static_assert(offsetof(clap_param_info, module) == at(272, 268));
static_assert(offsetof(clap_param_info, min_value) == at(1296, 1292, 1296));
static_assert(offsetof(clap_param_info, max_value) == at(1304, 1300, 1304));
static_assert(offsetof(clap_param_info, default_value) == at(1312, 1308, 1312));

struct clap_plugin_params
{
    std::uint32_t(SWEEPFILTER_CLAP_CALL* count)(const clap_plugin* plugin);
    bool(SWEEPFILTER_CLAP_CALL* get_info)(const clap_plugin* plugin, std::uint32_t param_index,
                                          clap_param_info* param_info);
    bool(SWEEPFILTER_CLAP_CALL* get_value)(const clap_plugin* plugin, clap_id param_id,
                                           double* out_value);
    bool(SWEEPFILTER_CLAP_CALL* value_to_text)(const clap_plugin* plugin, clap_id param_id,
                                               double value, char* out_buffer,
                                               std::uint32_t out_buffer_capacity);
    bool(SWEEPFILTER_CLAP_CALL* text_to_value)(const clap_plugin* plugin, clap_id param_id,
                                               const char* param_value_text, double* out_value);
    void(SWEEPFILTER_CLAP_CALL* flush)(const clap_plugin* plugin, const clap_input_events* in,
                                       const clap_output_events* out);
};
static_assert(sizeof(clap_plugin_params) == at(48, 24) && alignof(clap_plugin_params) == at(8, 4));
static_assert(offsetof(clap_plugin_params, get_info) == at(8, 4));
static_assert(offsetof(clap_plugin_params, get_value) == at(16, 8));
static_assert(offsetof(clap_plugin_params, value_to_text) == at(24, 12));
static_assert(offsetof(clap_plugin_params, text_to_value) == at(32, 16));
static_assert(offsetof(clap_plugin_params, flush) == at(40, 20));

inline constexpr std::uint32_t CLAP_PARAM_RESCAN_VALUES = 1, CLAP_PARAM_RESCAN_TEXT = 2,
                               CLAP_PARAM_RESCAN_INFO = 4, CLAP_PARAM_RESCAN_ALL = 8;

struct clap_host_params
{
    void(SWEEPFILTER_CLAP_CALL* rescan)(const clap_host* host, std::uint32_t flags);
    void(SWEEPFILTER_CLAP_CALL* clear)(const clap_host* host, clap_id param_id,
                                       std::uint32_t flags);
    void(SWEEPFILTER_CLAP_CALL* request_flush)(const clap_host* host);
};
static_assert(sizeof(clap_host_params) == at(24, 12) && alignof(clap_host_params) == at(8, 4));
static_assert(offsetof(clap_host_params, clear) == at(8, 4));
static_assert(offsetof(clap_host_params, request_flush) == at(16, 8));

// audio-ports

inline constexpr char CLAP_PORT_STEREO[] = "stereo";
inline constexpr std::uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1;

struct clap_audio_port_info
{
    clap_id id;
    char name[CLAP_NAME_SIZE];
    std::uint32_t flags;
    std::uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
};
static_assert(sizeof(clap_audio_port_info) == at(288, 276) &&
              alignof(clap_audio_port_info) == at(8, 4));
static_assert(offsetof(clap_audio_port_info, name) == 4);
static_assert(offsetof(clap_audio_port_info, flags) == 260);
static_assert(offsetof(clap_audio_port_info, channel_count) == 264);
static_assert(offsetof(clap_audio_port_info, port_type) == at(272, 268));
static_assert(offsetof(clap_audio_port_info, in_place_pair) == at(280, 272));

struct clap_plugin_audio_ports
{
    std::uint32_t(SWEEPFILTER_CLAP_CALL* count)(const clap_plugin* plugin, bool is_input);
    bool(SWEEPFILTER_CLAP_CALL* get)(const clap_plugin* plugin, std::uint32_t index, bool is_input,
                                     clap_audio_port_info* info);
};
static_assert(sizeof(clap_plugin_audio_ports) == at(16, 8) &&
              alignof(clap_plugin_audio_ports) == at(8, 4));
static_assert(offsetof(clap_plugin_audio_ports, get) == at(8, 4));

// state

struct clap_istream
{
    void* ctx;
    // Bytes read (possibly fewer than asked), 0 at the end, -1 on error.
    std::int64_t(SWEEPFILTER_CLAP_CALL* read)(const clap_istream* stream, void* buffer,
                                              std::uint64_t size);
};
static_assert(sizeof(clap_istream) == at(16, 8) && offsetof(clap_istream, read) == at(8, 4));

struct clap_ostream
{
    void* ctx;
    // Bytes written (possibly fewer than offered), -1 on error.
    std::int64_t(SWEEPFILTER_CLAP_CALL* write)(const clap_ostream* stream, const void* buffer,
                                               std::uint64_t size);
};
static_assert(sizeof(clap_ostream) == at(16, 8) && offsetof(clap_ostream, write) == at(8, 4));

struct clap_plugin_state
{
    bool(SWEEPFILTER_CLAP_CALL* save)(const clap_plugin* plugin, const clap_ostream* stream);
    bool(SWEEPFILTER_CLAP_CALL* load)(const clap_plugin* plugin, const clap_istream* stream);
};
static_assert(sizeof(clap_plugin_state) == at(16, 8) &&
              offsetof(clap_plugin_state, load) == at(8, 4));

struct clap_host_state
{
    void(SWEEPFILTER_CLAP_CALL* mark_dirty)(const clap_host* host);
};
static_assert(sizeof(clap_host_state) == at(8, 4));

// latency

struct clap_plugin_latency
{
    std::uint32_t(SWEEPFILTER_CLAP_CALL* get)(const clap_plugin* plugin);
};
static_assert(sizeof(clap_plugin_latency) == at(8, 4));

// log and thread-check, offered by hosts

inline constexpr std::int32_t CLAP_LOG_DEBUG = 0, CLAP_LOG_INFO = 1, CLAP_LOG_WARNING = 2,
                              CLAP_LOG_ERROR = 3, CLAP_LOG_FATAL = 4, CLAP_LOG_HOST_MISBEHAVING = 5,
                              CLAP_LOG_PLUGIN_MISBEHAVING = 6;

struct clap_host_log
{
    void(SWEEPFILTER_CLAP_CALL* log)(const clap_host* host, std::int32_t severity, const char* msg);
};
static_assert(sizeof(clap_host_log) == at(8, 4));

struct clap_host_thread_check
{
    bool(SWEEPFILTER_CLAP_CALL* is_main_thread)(const clap_host* host);
    bool(SWEEPFILTER_CLAP_CALL* is_audio_thread)(const clap_host* host);
};
static_assert(sizeof(clap_host_thread_check) == at(16, 8) &&
              offsetof(clap_host_thread_check, is_audio_thread) == at(8, 4));

} // namespace sweepfilter::clap
