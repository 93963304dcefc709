#include "ClapEventList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sweepfilter::host
{

ClapEventList::ClapEventList()
{
    list_.ctx = this;
    list_.size = [](const clap::clap_input_events* l) {
        return static_cast<std::uint32_t>(static_cast<const ClapEventList*>(l->ctx)->size());
    };
    list_.get = [](const clap::clap_input_events* l, std::uint32_t index) {
        const auto* self = static_cast<const ClapEventList*>(l->ctx);
        return index < self->offsets_.size() ? reinterpret_cast<const clap::clap_event_header*>(
                                                   self->bytes_.data() + self->offsets_[index])
                                             : nullptr;
    };
}

void ClapEventList::addParameter(std::uint32_t frame, clap::clap_id id, double value)
{
    clap::clap_event_param_value event{};
    event.header = {sizeof event, frame, clap::CLAP_CORE_EVENT_SPACE_ID,
                    clap::CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = value;
    addRaw(&event, sizeof event);
}

clap::clap_event_transport ClapEventList::transportEvent(std::uint32_t frame,
                                                         const ClapTransport& transport)
{
    clap::clap_event_transport event{};
    event.header = {sizeof event, frame, clap::CLAP_CORE_EVENT_SPACE_ID, clap::CLAP_EVENT_TRANSPORT,
                    0};
    event.flags = clap::CLAP_TRANSPORT_HAS_TEMPO | clap::CLAP_TRANSPORT_HAS_BEATS_TIMELINE |
                  (transport.playing ? clap::CLAP_TRANSPORT_IS_PLAYING : 0u);
    event.song_pos_beats = static_cast<clap::clap_beattime>(
        std::llround(transport.beats * static_cast<double>(clap::CLAP_BEATTIME_FACTOR)));
    event.tempo = transport.beatsPerMinute;
    event.tsig_num = event.tsig_denom = 4;
    return event;
}

void ClapEventList::addTransport(std::uint32_t frame, const ClapTransport& transport)
{
    const auto event = transportEvent(frame, transport);
    addRaw(&event, sizeof event);
}

void ClapEventList::addRaw(const void* event, std::size_t size)
{
    offsets_.push_back(bytes_.size());
    const std::size_t at = bytes_.size();
    // At least a header's room, zeroed, so that a host test of short events stays readable.
    bytes_.resize(at + (std::max(size, sizeof(clap::clap_event_header)) + 7) / 8);
    std::memcpy(bytes_.data() + at, event, size);
}

} // namespace sweepfilter::host
