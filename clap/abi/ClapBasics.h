#pragma once

#include <cstddef>
#include <cstdint>

// Our own declarations of the CLAP 1.2 ABI, as far as the plug-in and the project's test host
// use it. The names are the standard's, so that each field can be matched with its
// documentation; every offset and size is pinned below its struct for both pointer widths, so
// that a misread field fails the build.

// Every function pointer in every struct uses the platform's C calling convention.
#if defined(_WIN32) || defined(__CYGWIN__)
#define SWEEPFILTER_CLAP_CALL __cdecl
#else
#define SWEEPFILTER_CLAP_CALL
#endif

namespace sweepfilter::clap
{

// The three layouts: 64-bit (every OS alike); 32-bit System V, where 8-byte scalars are only
// 4-aligned inside structs; 32-bit Windows, where they are 8-aligned.
#if UINTPTR_MAX > 0xFFFFFFFFu
inline constexpr int layout = 0;
#elif defined(_WIN32)
inline constexpr int layout = 2;
#else
inline constexpr int layout = 1;
#endif

// The expected offset or size on this target.
constexpr std::size_t at(std::size_t x64, std::size_t i686, std::size_t w32)
{
    return layout == 0 ? x64 : layout == 1 ? i686 : w32;
}
constexpr std::size_t at(std::size_t x64, std::size_t i686)
{
    return at(x64, i686, i686);
}

using clap_id = std::uint32_t;
inline constexpr clap_id CLAP_INVALID_ID = 0xFFFFFFFFu;

// Positions in beats and seconds, fixed point with 31 fractional bits.
using clap_beattime = std::int64_t;
using clap_sectime = std::int64_t;
inline constexpr std::int64_t CLAP_BEATTIME_FACTOR = std::int64_t{1} << 31;
inline constexpr std::int64_t CLAP_SECTIME_FACTOR = std::int64_t{1} << 31;

inline constexpr std::size_t CLAP_NAME_SIZE = 256;
inline constexpr std::size_t CLAP_PATH_SIZE = 1024;

struct clap_version
{
    std::uint32_t major;
    std::uint32_t minor;
    std::uint32_t revision;
};
static_assert(sizeof(clap_version) == 12 && alignof(clap_version) == 4);
static_assert(offsetof(clap_version, minor) == 4 && offsetof(clap_version, revision) == 8);

// The version this code is written against.
inline constexpr clap_version CLAP_VERSION = {1, 2, 10};

// Every 1.x version is compatible; 0.x were development versions.
constexpr bool clap_version_is_compatible(const clap_version& v)
{
    return v.major >= 1;
}

} // namespace sweepfilter::clap
