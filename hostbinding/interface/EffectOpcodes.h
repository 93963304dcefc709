#pragma once

#include <cstdint>

namespace sweepfilter
{

// Dispatcher opcodes the host sends through the record.
namespace opcode
{
inline constexpr std::int32_t open = 0;
inline constexpr std::int32_t close = 1;
inline constexpr std::int32_t setProgram = 2;
inline constexpr std::int32_t getProgram = 3;
inline constexpr std::int32_t setProgramName = 4;
inline constexpr std::int32_t getProgramName = 5;
inline constexpr std::int32_t getParameterLabel = 6;
inline constexpr std::int32_t getParameterDisplay = 7;
inline constexpr std::int32_t getParameterName = 8;
inline constexpr std::int32_t getMeterLevel = 9;
inline constexpr std::int32_t setSampleRate = 10;
inline constexpr std::int32_t setBlockSize = 11;
inline constexpr std::int32_t suspendResume = 12;
inline constexpr std::int32_t editorRect = 13;
inline constexpr std::int32_t editorOpen = 14;
inline constexpr std::int32_t editorClose = 15;
inline constexpr std::int32_t editorIdle = 19;
inline constexpr std::int32_t identify = 22;
inline constexpr std::int32_t getStateBlock = 23;
inline constexpr std::int32_t setStateBlock = 24;
} // namespace opcode

// What an effect answers to opcode::identify.
inline constexpr std::int32_t identifyAnswer = 0x4E764566; // 'NvEf'

} // namespace sweepfilter
