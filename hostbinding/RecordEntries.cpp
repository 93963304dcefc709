#include "RecordEntries.h"

#include "EffectBase.h"

namespace sweepfilter
{
namespace
{

EffectBase* effectOf(EffectRecord* record) noexcept
{
    return record ? static_cast<EffectBase*>(record->object) : nullptr;
}

} // namespace

std::intptr_t recordDispatch(EffectRecord* record, std::int32_t opcode, std::int32_t index,
                             std::intptr_t value, void* pointer, float option) noexcept
{
    EffectBase* effect = effectOf(record);
    if (!effect)
        return 0;
    // The effect takes the value as signed 32-bit; a 64-bit host's wider value is cut to it.
    const auto value32 = static_cast<std::int32_t>(value);
    if (opcode == opcode::close)
    {
        effect->dispatch(opcode, index, value32, pointer, option);
        effect->destroy(); // the record goes with the effect
        return 1;
    }
    return effect->dispatch(opcode, index, value32, pointer, option);
}

void recordProcessAccumulate(EffectRecord* record, StereoBuffers inputs, StereoBuffers outputs,
                             std::int32_t frames) noexcept
{
    if (EffectBase* effect = effectOf(record))
        effect->processAccumulate(inputs, outputs, frames);
}

void recordSetParameter(EffectRecord* record, std::int32_t index, float value) noexcept
{
    if (EffectBase* effect = effectOf(record))
        effect->setParameter(index, value);
}

float recordGetParameter(EffectRecord* record, std::int32_t index) noexcept
{
    EffectBase* effect = effectOf(record);
    return effect ? effect->getParameter(index) : 0.0f;
}

void recordProcessReplace(EffectRecord* record, StereoBuffers inputs, StereoBuffers outputs,
                          std::int32_t frames) noexcept
{
    if (EffectBase* effect = effectOf(record))
        effect->processReplace(inputs, outputs, frames);
}

} // namespace sweepfilter
