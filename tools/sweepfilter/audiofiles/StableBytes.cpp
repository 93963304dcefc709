#include "StableBytes.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sndfile.h>
#include <unistd.h>

namespace sweepfilter::tool
{
namespace
{

std::uint32_t littleEndian32(const unsigned char* bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

bool readAt(int descriptor, void* data, std::size_t size, off_t at)
{
    return pread(descriptor, data, size, at) == static_cast<ssize_t>(size);
}

bool writeAt(int descriptor, const void* data, std::size_t size, off_t at)
{
    return pwrite(descriptor, data, size, at) == static_cast<ssize_t>(size);
}

// The PEAK chunk's time stamp, among the chunks before the data.
bool fixRf64(int descriptor)
{
    unsigned char header[8];
    for (off_t at = 12; readAt(descriptor, header, sizeof header, at);)
    {
        if (std::memcmp(header, "data", 4) == 0)
            return true;
        if (std::memcmp(header, "PEAK", 4) == 0)
        {
            const unsigned char zero[4] = {};
            return writeAt(descriptor, zero, sizeof zero, at + 8 + 4);
        }
        const std::uint32_t size = littleEndian32(header + 4);
        at += 8 + static_cast<off_t>(size) + static_cast<off_t>(size & 1);
    }
    return true;
}

// Ogg's page checksum: CRC-32 with the polynomial 0x04c11db7, unreflected, starting at 0.
std::uint32_t oggChecksum(const std::vector<unsigned char>& page)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t i = 0; i < 256; ++i)
        {
            std::uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = r & 0x80000000u ? (r << 1) ^ 0x04c11db7u : r << 1;
            entries[i] = r;
        }
        return entries;
    }();
    std::uint32_t crc = 0;
    for (const unsigned char byte : page)
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xff];
    return crc;
}

// Every page's serial number, and with it the page's checksum.
bool fixOgg(int descriptor)
{
    constexpr std::uint32_t serial = 0x46505753; // "SWPF"
    std::vector<unsigned char> page;
    unsigned char header[27];
    for (off_t at = 0; readAt(descriptor, header, sizeof header, at);)
    {
        if (std::memcmp(header, "OggS", 4) != 0)
            return false;
        unsigned char segments[255];
        const std::size_t count = header[26];
        if (!readAt(descriptor, segments, count, at + 27))
            return false;
        std::size_t body = 0;
        for (std::size_t i = 0; i < count; ++i)
            body += segments[i];
        page.resize(27 + count + body);
        if (!readAt(descriptor, page.data(), page.size(), at))
            return false;
        for (std::size_t i = 0; i < 4; ++i)
        {
            page[14 + i] = static_cast<unsigned char>(serial >> (8 * i));
            page[22 + i] = 0;
        }
        const std::uint32_t crc = oggChecksum(page);
        for (std::size_t i = 0; i < 4; ++i)
            page[22 + i] = static_cast<unsigned char>(crc >> (8 * i));
        if (!writeAt(descriptor, page.data() + 14, 12, at + 14))
            return false;
        at += static_cast<off_t>(page.size());
    }
    return true;
}

} // namespace

bool fixVolatileFields(int descriptor, int format)
{
    switch (format & SF_FORMAT_TYPEMASK)
    {
    case SF_FORMAT_RF64:
        return fixRf64(descriptor);
    case SF_FORMAT_OGG:
        return fixOgg(descriptor);
    default:
        return true;
    }
}

} // namespace sweepfilter::tool
