#pragma once

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "HostTimeline.h"

namespace sweepfilter::lv2
{

// The URIDs a time:Position is read with, mapped once when the plug-in is instantiated.
struct TimeUrids
{
    LV2_URID sequence = 0, frameTime = 0, object = 0, blank = 0;
    LV2_URID floatType = 0, doubleType = 0, intType = 0, longType = 0;
    LV2_URID position = 0, beat = 0, bar = 0, barBeat = 0, beatsPerBar = 0, beatsPerMinute = 0,
             speed = 0;

    // All zero (nothing is read) without a map.
    static TimeUrids map(const LV2_URID_Map* map) noexcept;
};

// Reads the time:Position objects of an atom sequence that a host handed in. The host's bytes
// are not trusted beyond the sequence's own stated size: an event, object or property that
// does not fit inside what holds it ends the reading there; a value of a type other than a
// number, or too short for its type, is left out; anything else in the sequence is skipped.
class TimePositionReader
{
public:
    explicit TimePositionReader(const TimeUrids& urids) noexcept : urids_(urids) {}

    // Calls visit(frame, time) for each time:Position in order of appearance; frame is the
    // event's time stamp as given.
    template <typename Visit>
    void read(const LV2_Atom_Sequence* sequence, Visit&& visit) const noexcept;

private:
    HostTime position(const std::uint8_t* body, std::uint64_t size) const noexcept;
    bool number(std::uint32_t type, const std::uint8_t* value, std::uint64_t size,
                double& result) const noexcept;

    TimeUrids urids_;
};

template <typename Visit>
void TimePositionReader::read(const LV2_Atom_Sequence* sequence, Visit&& visit) const noexcept
{
    if (!sequence || urids_.sequence == 0 || sequence->atom.type != urids_.sequence)
        return;
    const std::uint64_t size = sequence->atom.size;
    if (size < sizeof(LV2_Atom_Sequence_Body) ||
        (sequence->body.unit != 0 && sequence->body.unit != urids_.frameTime))
        return;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&sequence->body);
    constexpr std::uint64_t eventHeader = sizeof(LV2_Atom_Event);
    for (std::uint64_t offset = sizeof(LV2_Atom_Sequence_Body); offset + eventHeader <= size;)
    {
        LV2_Atom_Event event;
        std::memcpy(&event, bytes + offset, eventHeader);
        const std::uint64_t bodySize = event.body.size;
        if (bodySize > size - offset - eventHeader)
            return;
        const bool isObject = event.body.type == urids_.object || event.body.type == urids_.blank;
        if (isObject && bodySize >= sizeof(LV2_Atom_Object_Body))
        {
            LV2_Atom_Object_Body object;
            std::memcpy(&object, bytes + offset + eventHeader, sizeof object);
            if (object.otype == urids_.position && urids_.position != 0)
                visit(event.time.frames, position(bytes + offset + eventHeader + sizeof object,
                                                  bodySize - sizeof object));
        }
        offset += eventHeader + ((bodySize + 7) & ~std::uint64_t{7});
    }
}

} // namespace sweepfilter::lv2
