#include "TimePositionReader.h"

#include <optional>

namespace sweepfilter::lv2
{

TimeUrids TimeUrids::map(const LV2_URID_Map* map) noexcept
{
    TimeUrids urids;
    if (!map || !map->map)
        return urids;
    const auto id = [map](const char* uri) { return map->map(map->handle, uri); };
    urids.sequence = id(LV2_ATOM__Sequence);
    urids.frameTime = id(LV2_ATOM__frameTime);
    urids.object = id(LV2_ATOM__Object);
    urids.blank = id(LV2_ATOM__Blank);
    urids.floatType = id(LV2_ATOM__Float);
    urids.doubleType = id(LV2_ATOM__Double);
    urids.intType = id(LV2_ATOM__Int);
    urids.longType = id(LV2_ATOM__Long);
    urids.position = id(LV2_TIME__Position);
    urids.beat = id(LV2_TIME__beat);
    urids.bar = id(LV2_TIME__bar);
    urids.barBeat = id(LV2_TIME__barBeat);
    urids.beatsPerBar = id(LV2_TIME__beatsPerBar);
    urids.beatsPerMinute = id(LV2_TIME__beatsPerMinute);
    urids.speed = id(LV2_TIME__speed);
    return urids;
}

bool TimePositionReader::number(std::uint32_t type, const std::uint8_t* value, std::uint64_t size,
                                double& result) const noexcept
{
    if (type == 0)
        return false;
    if (type == urids_.floatType && size >= sizeof(float))
    {
        float v;
        std::memcpy(&v, value, sizeof v);
        result = v;
    }
    else if (type == urids_.doubleType && size >= sizeof(double))
        std::memcpy(&result, value, sizeof result);
    else if (type == urids_.intType && size >= sizeof(std::int32_t))
    {
        std::int32_t v;
        std::memcpy(&v, value, sizeof v);
        result = v;
    }
    else if (type == urids_.longType && size >= sizeof(std::int64_t))
    {
        std::int64_t v;
        std::memcpy(&v, value, sizeof v);
        result = static_cast<double>(v);
    }
    else
        return false;
    return true;
}

// The position in beats is time:beat when given, otherwise bar * beatsPerBar + barBeat.
HostTime TimePositionReader::position(const std::uint8_t* body, std::uint64_t size) const noexcept
{
    std::optional<double> beat, bar, barBeat, beatsPerBar;
    HostTime time;
    constexpr std::uint64_t propertyHeader = sizeof(LV2_Atom_Property_Body);
    for (std::uint64_t offset = 0; offset + propertyHeader <= size;)
    {
        LV2_Atom_Property_Body property;
        std::memcpy(&property, body + offset, propertyHeader);
        const std::uint64_t valueSize = property.value.size;
        if (valueSize > size - offset - propertyHeader)
            break;
        double value = 0.0;
        if (number(property.value.type, body + offset + propertyHeader, valueSize, value))
        {
            const LV2_URID key = property.key;
            if (key == urids_.beat)
                beat = value;
            else if (key == urids_.bar)
                bar = value;
            else if (key == urids_.barBeat)
                barBeat = value;
            else if (key == urids_.beatsPerBar)
                beatsPerBar = value;
            else if (key == urids_.beatsPerMinute)
                time.beatsPerMinute = value;
            else if (key == urids_.speed)
                time.speed = value;
        }
        offset += propertyHeader + ((valueSize + 7) & ~std::uint64_t{7});
    }
    if (beat)
        time.beats = beat;
    else if (bar && barBeat && beatsPerBar && *beatsPerBar > 0.0)
        time.beats = *bar * *beatsPerBar + *barBeat;
    return time;
}

} // namespace sweepfilter::lv2
