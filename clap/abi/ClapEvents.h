#pragma once

#include "ClapBasics.h"

namespace sweepfilter::clap
{

// Every event starts with this header; one event is `size` contiguous bytes.
struct clap_event_header
{
    std::uint32_t size; // the whole event, header included
    std::uint32_t time; // frame within the block
    std::uint16_t space_id;
    std::uint16_t type;
    std::uint32_t flags;
};
static_assert(sizeof(clap_event_header) == 16 && alignof(clap_event_header) == 4);
static_assert(offsetof(clap_event_header, time) == 4);
static_assert(offsetof(clap_event_header, space_id) == 8);
static_assert(offsetof(clap_event_header, type) == 10);
static_assert(offsetof(clap_event_header, flags) == 12);

inline constexpr std::uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
inline constexpr std::uint32_t CLAP_EVENT_IS_LIVE = 1, CLAP_EVENT_DONT_RECORD = 2;

// The core space's event types this code reads or writes.
inline constexpr std::uint16_t CLAP_EVENT_NOTE_ON = 0, CLAP_EVENT_PARAM_VALUE = 5,
                               CLAP_EVENT_PARAM_MOD = 6, CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
                               CLAP_EVENT_PARAM_GESTURE_END = 8, CLAP_EVENT_TRANSPORT = 9,
                               CLAP_EVENT_MIDI = 10;

struct clap_event_param_value
{
    clap_event_header header;
    clap_id param_id;
    void* cookie;
    std::int32_t note_id;
    std::int16_t port_index;
    std::int16_t channel;
    std::int16_t key;
    double value; // the plain value
};
static_assert(sizeof(clap_event_param_value) == at(56, 44, 48) &&
              alignof(clap_event_param_value) == at(8, 4, 8));
static_assert(offsetof(clap_event_param_value, param_id) == 16);
static_assert(offsetof(clap_event_param_value, cookie) == at(24, 20));
static_assert(offsetof(clap_event_param_value, note_id) == at(32, 24));
static_assert(offsetof(clap_event_param_value, port_index) == at(36, 28));
static_assert(offsetof(clap_event_param_value, channel) == at(38, 30));
static_assert(offsetof(clap_event_param_value, key) == at(40, 32));
static_assert(offsetof(clap_event_param_value, value) == at(48, 36, 40));

struct clap_event_param_gesture
{
    clap_event_header header;
    clap_id param_id;
};
static_assert(sizeof(clap_event_param_gesture) == 20 &&
              offsetof(clap_event_param_gesture, param_id) == 16);

inline constexpr std::uint32_t CLAP_TRANSPORT_HAS_TEMPO = 1, CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 2,
                               CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 4,
                               CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 8,
                               CLAP_TRANSPORT_IS_PLAYING = 16, CLAP_TRANSPORT_IS_RECORDING = 32,
                               CLAP_TRANSPORT_IS_LOOP_ACTIVE = 64,
                               CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 128;

struct clap_event_transport
{
    clap_event_header header;
    std::uint32_t flags;
    clap_beattime song_pos_beats;
    clap_sectime song_pos_seconds;
    double tempo;     // beats per minute
    double tempo_inc; // per frame, until the next transport event
    clap_beattime loop_start_beats;
    clap_beattime loop_end_beats;
    clap_sectime loop_start_seconds;
    clap_sectime loop_end_seconds;
    clap_beattime bar_start;
    std::int32_t bar_number;
    std::uint16_t tsig_num;
    std::uint16_t tsig_denom;
};
static_assert(sizeof(clap_event_transport) == at(104, 100, 104) &&
              alignof(clap_event_transport) == at(8, 4, 8));
static_assert(offsetof(clap_event_transport, flags) == 16);
static_assert(offsetof(clap_event_transport, song_pos_beats) == at(24, 20, 24));
static_assert(offsetof(clap_event_transport, song_pos_seconds) == at(32, 28, 32));
static_assert(offsetof(clap_event_transport, tempo) == at(40, 36, 40));
static_assert(offsetof(clap_event_transport, tempo_inc) == at(48, 44, 48));
static_assert(offsetof(clap_event_transport, loop_start_beats) == at(56, 52, 56));
static_assert(offsetof(clap_event_transport, loop_end_beats) == at(64, 60, 64));
static_assert(offsetof(clap_event_transport, loop_start_seconds) == at(72, 68, 72));
static_assert(offsetof(clap_event_transport, loop_end_seconds) == at(80, 76, 80));
static_assert(offsetof(clap_event_transport, bar_start) == at(88, 84, 88));
static_assert(offsetof(clap_event_transport, bar_number) == at(96, 92, 96));
static_assert(offsetof(clap_event_transport, tsig_num) == at(100, 96, 100));
static_assert(offsetof(clap_event_transport, tsig_denom) == at(102, 98, 102));

struct clap_input_events
{
    void* ctx;
    std::uint32_t(SWEEPFILTER_CLAP_CALL* size)(const clap_input_events* list);
    const clap_event_header*(SWEEPFILTER_CLAP_CALL* get)(const clap_input_events* list,
                                                         std::uint32_t index);
};
static_assert(sizeof(clap_input_events) == at(24, 12) && alignof(clap_input_events) == at(8, 4));
static_assert(offsetof(clap_input_events, size) == at(8, 4));
static_assert(offsetof(clap_input_events, get) == at(16, 8));

struct clap_output_events
{
    void* ctx;
    bool(SWEEPFILTER_CLAP_CALL* try_push)(const clap_output_events* list,
                                          const clap_event_header* event);
};
static_assert(sizeof(clap_output_events) == at(16, 8) && alignof(clap_output_events) == at(8, 4));
static_assert(offsetof(clap_output_events, try_push) == at(8, 4));

} // namespace sweepfilter::clap
