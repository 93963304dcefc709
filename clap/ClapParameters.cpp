#include "ClapParameters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace sweepfilter::clap
{
namespace
{

bool isBypass(Control control) noexcept
{
    return describe(control).designation == Designation::enabled;
}

const char* unitText(Unit unit) noexcept
{
    switch (unit)
    {
    case Unit::hertz:
        return "Hz";
    case Unit::beatsPerMinute:
        return "BPM";
    case Unit::percent:
        return "%";
    case Unit::frames:
        return "samples";
    case Unit::milliseconds:
        return "ms";
    default:
        return "";
    }
}

// Decimals shown: enough that every value a user sets by text reads back the same.
int decimalsOf(const ControlDescription& d) noexcept
{
    if (d.integer)
        return 0;
    switch (d.unit)
    {
    case Unit::hertz:
    case Unit::percent:
        return 1;
    case Unit::none:
        return 4;
    default:
        return 2;
    }
}

const char* const bypassLabels[] = {"off", "on"};

// The label of the scale point that holds this value, if any.
const char* labelOf(Control control, float value) noexcept
{
    if (isBypass(control))
        return bypassLabels[value >= 0.5f ? 0 : 1];
    for (const ScalePoint& point : describe(control).scalePoints)
        if (point.value == value)
            return point.label;
    return nullptr;
}

void copyText(std::string_view text, char* out, std::uint32_t capacity) noexcept
{
    const std::size_t length = std::min<std::size_t>(text.size(), capacity - 1u);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

std::string_view trimmed(std::string_view text) noexcept
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool sameLetters(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

} // namespace

std::optional<Control> controlOf(clap_id id) noexcept
{
    if (id >= parameterCount)
        return std::nullopt;
    return static_cast<Control>(id);
}

bool describeParameter(std::uint32_t index, clap_param_info& info) noexcept
{
    const auto control = controlOf(index);
    if (!control)
        return false;
    const ControlDescription& d = describe(*control);
    info = {};
    info.id = index;
    info.flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (d.integer || d.enumeration || d.toggle)
        info.flags |= CLAP_PARAM_IS_STEPPED;
    if (d.enumeration)
        info.flags |= CLAP_PARAM_IS_ENUM;
    copyText(isBypass(*control) ? "Bypass" : d.name, info.name, sizeof info.name);
    copyText(d.group ? d.group->name : "", info.module, sizeof info.module);
    info.min_value = d.minimum;
    info.max_value = d.maximum;
    info.default_value = plainValue(*control, d.defaultValue);
    if (isBypass(*control))
        info.flags |= CLAP_PARAM_IS_BYPASS;
    return true;
}

double plainValue(Control control, float value) noexcept
{
    return isBypass(control) ? 1.0 - double{value} : double{value};
}

float controlValue(Control control, double plain) noexcept
{
    const double value = isBypass(control) ? 1.0 - plain : plain;
    return settledValue(control, static_cast<float>(value));
}

bool valueToText(Control control, double plain, char* text, std::uint32_t capacity) noexcept
{
    if (!text || capacity == 0)
        return false;
    const float value = controlValue(control, plain);
    if (std::isnan(value))
        return false;
    if (const char* label = labelOf(control, value))
    {
        copyText(label, text, capacity);
        return true;
    }
    const ControlDescription& d = describe(control);
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + 48, double{value}, std::chars_format::fixed, decimalsOf(d));
    std::string_view unit = unitText(d.unit);
    char* end = written.ptr;
    if (!unit.empty())
    {
        *end++ = ' ';
        end = std::copy(unit.begin(), unit.end(), end);
    }
    copyText({buffer, static_cast<std::size_t>(end - buffer)}, text, capacity);
    return true;
}

std::optional<double> textToValue(Control control, const char* text) noexcept
{
    if (!text)
        return std::nullopt;
    const std::string_view whole = trimmed(text);
    if (isBypass(control))
        for (int k = 0; k < 2; ++k)
            if (sameLetters(whole, bypassLabels[k]))
                return k;
    for (const ScalePoint& point : describe(control).scalePoints)
        if (sameLetters(whole, point.label))
            return plainValue(control, point.value);
    double number = 0.0;
    const char* begin = whole.data() + (whole.starts_with('+') ? 1 : 0);
    const auto read = std::from_chars(begin, whole.data() + whole.size(), number);
    if (read.ec != std::errc{} || std::isnan(number))
        return std::nullopt;
    const std::string_view rest = trimmed({read.ptr, whole.data() + whole.size()});
    if (!rest.empty() && !sameLetters(rest, unitText(describe(control).unit)))
        return std::nullopt;
    return plainValue(control, controlValue(control, number));
}

} // namespace sweepfilter::clap
