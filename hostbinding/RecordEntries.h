#pragma once

#include <cstdint>

#include "EffectRecord.h"

namespace sweepfilter
{

// The five plain functions a host calls through the record. Each finds its effect through the
// record's object pointer and forwards to the matching virtual operation. A null record or
// object pointer does nothing and answers 0.
std::intptr_t recordDispatch(EffectRecord* record, std::int32_t opcode, std::int32_t index,
                             std::intptr_t value, void* pointer, float option) noexcept;
void recordProcessAccumulate(EffectRecord* record, StereoBuffers inputs, StereoBuffers outputs,
                             std::int32_t frames) noexcept;
void recordSetParameter(EffectRecord* record, std::int32_t index, float value) noexcept;
float recordGetParameter(EffectRecord* record, std::int32_t index) noexcept;
void recordProcessReplace(EffectRecord* record, StereoBuffers inputs, StereoBuffers outputs,
                          std::int32_t frames) noexcept;

} // namespace sweepfilter
