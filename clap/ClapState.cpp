#include "ClapState.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace sweepfilter::clap
{
namespace
{

using Bytes = std::array<unsigned char, stateSize>;
constexpr unsigned char magic[4] = {'S', 'W', 'P', 'F'};

std::uint32_t crc32(const unsigned char* data, std::size_t size) noexcept
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put(unsigned char* at, std::uint32_t value) noexcept
{
    for (int k = 0; k < 4; ++k)
        at[k] = static_cast<unsigned char>(value >> (8 * k));
}

std::uint32_t get(const unsigned char* at) noexcept
{
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k)
        value |= std::uint32_t{at[k]} << (8 * k);
    return value;
}

constexpr std::size_t valuesAt = 12, checksumAt = stateSize - 4;

Bytes encode(const ControlValues& values) noexcept
{
    Bytes bytes{};
    std::memcpy(bytes.data(), magic, 4);
    put(&bytes[4], stateVersion);
    put(&bytes[8], controlCount);
    for (std::size_t k = 0; k < values.size(); ++k)
        put(&bytes[valuesAt + 4 * k], std::bit_cast<std::uint32_t>(values[k]));
    put(&bytes[checksumAt], crc32(bytes.data(), checksumAt));
    return bytes;
}

std::optional<ControlValues> decode(const Bytes& bytes) noexcept
{
    if (std::memcmp(bytes.data(), magic, 4) != 0 || get(&bytes[4]) != stateVersion ||
        get(&bytes[8]) != controlCount ||
        get(&bytes[checksumAt]) != crc32(bytes.data(), checksumAt))
        return std::nullopt;
    ControlValues values;
    for (std::size_t k = 0; k < values.size(); ++k)
    {
        const float value = std::bit_cast<float>(get(&bytes[valuesAt + 4 * k]));
        // Only what a control can hold: no NaN, nothing out of range or between steps.
        const float settled = settledValue(static_cast<Control>(k), value);
        if (std::isnan(value) ||
            std::bit_cast<std::uint32_t>(settled) != std::bit_cast<std::uint32_t>(value))
            return std::nullopt;
        values[k] = value;
    }
    return values;
}

} // namespace

bool saveState(const ControlValues& values, const clap_ostream& stream) noexcept
{
    if (!stream.write)
        return false;
    const Bytes bytes = encode(values);
    for (std::size_t done = 0; done < bytes.size();)
    {
        const std::int64_t written =
            stream.write(&stream, bytes.data() + done, bytes.size() - done);
        if (written <= 0 || static_cast<std::uint64_t>(written) > bytes.size() - done)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<ControlValues> loadState(const clap_istream& stream) noexcept
{
    if (!stream.read)
        return std::nullopt;
    Bytes bytes{};
    for (std::size_t done = 0; done < bytes.size();)
    {
        const std::int64_t read = stream.read(&stream, bytes.data() + done, bytes.size() - done);
        if (read <= 0 || static_cast<std::uint64_t>(read) > bytes.size() - done)
            return std::nullopt; // short, failed or misbehaving
        done += static_cast<std::size_t>(read);
    }
    // Nothing may follow.
    unsigned char extra;
    if (stream.read(&stream, &extra, 1) != 0)
        return std::nullopt;
    return decode(bytes);
}

} // namespace sweepfilter::clap
