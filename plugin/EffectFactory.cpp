#include "EffectFactory.h"

#include <cstdint>
#include <new>

#include "FilterEffect.h"
#include "OutOfMemoryFlag.h"

namespace sweepfilter
{
namespace
{

FilterEffect* newFilterEffect(HostCallback hostCallback) noexcept
{
    auto* effect = new (std::nothrow) FilterEffect(hostCallback);
    if (effect && isOutOfMemory())
    {
        effect->destroy();
        return nullptr;
    }
    return effect;
}

} // namespace

EffectRecord* createFilterEffect(HostCallback hostCallback) noexcept
{
    if (!hostCallback)
        return nullptr;
    const auto version =
        static_cast<std::int32_t>(hostCallback(nullptr, hostopcode::version, 0, 0, nullptr, 0.0f));
    if (version == 0)
        return nullptr; // the host refuses: nothing is created
    FilterEffect* effect = newFilterEffect(hostCallback);
    return effect ? effect->getEffectRecord() : nullptr;
}

} // namespace sweepfilter
