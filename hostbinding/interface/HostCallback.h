#pragma once

#include <cstdint>

namespace sweepfilter
{

struct EffectRecord;

// The host's function for requests from the plug-in. Value and answer are pointer-width at
// the boundary (what 64-bit hosts pass and read); the effect uses them as signed 32-bit.
using HostCallback = std::intptr_t (*)(EffectRecord* record, std::int32_t opcode,
                                       std::int32_t index, std::intptr_t value, void* pointer,
                                       float option);

// Requests the plug-in sends through the HostCallback.
namespace hostopcode
{
inline constexpr std::int32_t parameterChanged = 0;
inline constexpr std::int32_t version = 1;
inline constexpr std::int32_t currentId = 2;
inline constexpr std::int32_t idle = 3;
inline constexpr std::int32_t pinConnected = 4;
} // namespace hostopcode

} // namespace sweepfilter
