#pragma once

#include "ClapEvents.h"

namespace sweepfilter::clap
{

struct clap_audio_buffer
{
    float** data32;
    double** data64;
    std::uint32_t channel_count;
    std::uint32_t latency;
    std::uint64_t constant_mask; // a hint only: the buffer is filled in full anyway
};
static_assert(sizeof(clap_audio_buffer) == at(32, 24) && alignof(clap_audio_buffer) == at(8, 4, 8));
static_assert(offsetof(clap_audio_buffer, data64) == at(8, 4));
static_assert(offsetof(clap_audio_buffer, channel_count) == at(16, 8));
static_assert(offsetof(clap_audio_buffer, latency) == at(20, 12));
static_assert(offsetof(clap_audio_buffer, constant_mask) == at(24, 16));

struct clap_process
{
    std::int64_t steady_time; // -1 when the host keeps no sample counter
    std::uint32_t frames_count;
    const clap_event_transport* transport; // at frame 0; null without a transport
    const clap_audio_buffer* audio_inputs;
    clap_audio_buffer* audio_outputs;
    std::uint32_t audio_inputs_count;
    std::uint32_t audio_outputs_count;
    const clap_input_events* in_events; // sorted by time
    const clap_output_events* out_events;
};
static_assert(sizeof(clap_process) == at(64, 40) && alignof(clap_process) == at(8, 4, 8));
static_assert(offsetof(clap_process, frames_count) == 8);
static_assert(offsetof(clap_process, transport) == at(16, 12));
static_assert(offsetof(clap_process, audio_inputs) == at(24, 16));
static_assert(offsetof(clap_process, audio_outputs) == at(32, 20));
static_assert(offsetof(clap_process, audio_inputs_count) == at(40, 24));
static_assert(offsetof(clap_process, audio_outputs_count) == at(44, 28));
static_assert(offsetof(clap_process, in_events) == at(48, 32));
static_assert(offsetof(clap_process, out_events) == at(56, 36));

inline constexpr std::int32_t CLAP_PROCESS_ERROR = 0, CLAP_PROCESS_CONTINUE = 1,
                              CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2, CLAP_PROCESS_TAIL = 3,
                              CLAP_PROCESS_SLEEP = 4;

} // namespace sweepfilter::clap
