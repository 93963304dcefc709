#pragma once

#include <cstddef>
#include <cstdint>

#include "HostCallback.h"
#include "StereoBuffers.h"

namespace sweepfilter
{

using DispatchEntry = std::intptr_t (*)(EffectRecord* record, std::int32_t opcode,
                                        std::int32_t index, std::intptr_t value, void* pointer,
                                        float option);
using ProcessEntry = void (*)(EffectRecord* record, StereoBuffers inputs, StereoBuffers outputs,
                              std::int32_t frames);
using SetParameterEntry = void (*)(EffectRecord* record, std::int32_t index, float value);
using GetParameterEntry = float (*)(EffectRecord* record, std::int32_t index);

// Four-character codes, first character in the most significant byte.
constexpr std::int32_t fourCharacterCode(const char (&code)[5]) noexcept
{
    return static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(code[0]) << 24) | (static_cast<std::uint32_t>(code[1]) << 16) |
        (static_cast<std::uint32_t>(code[2]) << 8) | static_cast<std::uint32_t>(code[3]));
}

inline constexpr std::int32_t effectMagic = 0x56737450; // bytes 50 74 73 56 in memory

// The host-facing record of one effect: 144 bytes with 4-byte pointers, 192 with 8-byte ones.
// Integers and floats are 4 bytes; the two reserved words are pointer-width, and the reserved
// area is one pointer-width slot followed by 56 bytes.
struct EffectRecord
{
    std::int32_t magic;
    DispatchEntry dispatch;
    ProcessEntry processAccumulate;
    SetParameterEntry setParameter;
    GetParameterEntry getParameter;
    std::int32_t numPrograms;
    std::int32_t numParameters;
    std::int32_t numInputs;
    std::int32_t numOutputs;
    std::int32_t flags;
    std::intptr_t reserved1;
    std::intptr_t reserved2;
    std::int32_t initialDelay;
    std::int32_t realtimeQualities;
    std::int32_t offlineQualities;
    float ioRatio;
    void* object; // the EffectBase that owns this record
    void* user;
    std::int32_t uniqueId;
    std::int32_t version;
    ProcessEntry processReplace;
    void* reservedSlot;
    unsigned char reservedArea[56];
};

// Flag bits of EffectRecord::flags.
namespace effectflag
{
inline constexpr std::int32_t hasClip = 2;
inline constexpr std::int32_t hasMeter = 4;
inline constexpr std::int32_t canMono = 8;
inline constexpr std::int32_t canReplace = 16;
inline constexpr std::int32_t programsAreStateBlocks = 32;
} // namespace effectflag

// The layout is the host's wire format; every offset is checked for both word sizes.
template <std::size_t pointer32, std::size_t pointer64>
constexpr std::size_t recordOffset = sizeof(void*) == 4 ? pointer32 : pointer64;

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8);
static_assert(offsetof(EffectRecord, magic) == 0);
static_assert(offsetof(EffectRecord, dispatch) == recordOffset<4, 8>);
static_assert(offsetof(EffectRecord, processAccumulate) == recordOffset<8, 16>);
static_assert(offsetof(EffectRecord, setParameter) == recordOffset<12, 24>);
static_assert(offsetof(EffectRecord, getParameter) == recordOffset<16, 32>);
static_assert(offsetof(EffectRecord, numPrograms) == recordOffset<20, 40>);
static_assert(offsetof(EffectRecord, numParameters) == recordOffset<24, 44>);
static_assert(offsetof(EffectRecord, numInputs) == recordOffset<28, 48>);
static_assert(offsetof(EffectRecord, numOutputs) == recordOffset<32, 52>);
static_assert(offsetof(EffectRecord, flags) == recordOffset<36, 56>);
static_assert(offsetof(EffectRecord, reserved1) == recordOffset<40, 64>);
static_assert(offsetof(EffectRecord, reserved2) == recordOffset<44, 72>);
static_assert(offsetof(EffectRecord, initialDelay) == recordOffset<48, 80>);
static_assert(offsetof(EffectRecord, realtimeQualities) == recordOffset<52, 84>);
static_assert(offsetof(EffectRecord, offlineQualities) == recordOffset<56, 88>);
static_assert(offsetof(EffectRecord, ioRatio) == recordOffset<60, 92>);
static_assert(offsetof(EffectRecord, object) == recordOffset<64, 96>);
static_assert(offsetof(EffectRecord, user) == recordOffset<68, 104>);
static_assert(offsetof(EffectRecord, uniqueId) == recordOffset<72, 112>);
static_assert(offsetof(EffectRecord, version) == recordOffset<76, 116>);
static_assert(offsetof(EffectRecord, processReplace) == recordOffset<80, 120>);
static_assert(offsetof(EffectRecord, reservedSlot) == recordOffset<84, 128>);
static_assert(offsetof(EffectRecord, reservedArea) == recordOffset<88, 136>);
static_assert(sizeof(EffectRecord) == recordOffset<144, 192>);
static_assert(sizeof(float) == 4 && sizeof(std::int32_t) == 4);

} // namespace sweepfilter
