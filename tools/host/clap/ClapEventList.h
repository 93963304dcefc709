#pragma once

#include <cstdint>
#include <vector>

#include "ClapEvents.h"

namespace sweepfilter::host
{

// The host's musical time at a frame, as a CLAP transport event carries it.
struct ClapTransport
{
    double beats = 0.0;
    double beatsPerMinute = 120.0;
    bool playing = true;
};

// The input events of one block (or of a flush), in the order added: each event one
// contiguous block of bytes, handed to a plug-in as its clap_input_events list.
class ClapEventList
{
public:
    ClapEventList();
    ClapEventList(const ClapEventList&) = delete;
    ClapEventList& operator=(const ClapEventList&) = delete;

    void addParameter(std::uint32_t frame, clap::clap_id id, double value);
    void addTransport(std::uint32_t frame, const ClapTransport& transport);
    // Any bytes as an event: for events of other types, spaces or sizes.
    void addRaw(const void* event, std::size_t size);
    void clear() { offsets_.clear(), bytes_.clear(); }
    std::size_t size() const { return offsets_.size(); }

    const clap::clap_input_events* list() const { return &list_; }

    static clap::clap_event_transport transportEvent(std::uint32_t frame,
                                                     const ClapTransport& transport);

private:
    std::vector<std::size_t> offsets_;
    // 8-byte units, so that every event's doubles and pointers stay aligned.
    std::vector<std::uint64_t> bytes_;
    clap::clap_input_events list_;
};

} // namespace sweepfilter::host
