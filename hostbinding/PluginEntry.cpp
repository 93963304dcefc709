// The library's entry point: the host calls `main` with its callback and receives the record
// of a new effect. `main` is the only symbol the library exports.

#include <cstdint>
#include <new>

#include "FilterEffect.h"
#include "OutOfMemoryFlag.h"

namespace sweepfilter
{
namespace
{

EffectRecord* createEffect(HostCallback hostCallback) noexcept
{
    if (!hostCallback)
        return nullptr;
    const auto version = static_cast<std::int32_t>(
        hostCallback(nullptr, hostopcode::version, 0, 0, nullptr, 0.0f));
    if (version == 0)
        return nullptr; // the host refuses: nothing is created
    auto* effect = new (std::nothrow) FilterEffect(hostCallback);
    if (!effect)
        return nullptr;
    if (isOutOfMemory())
    {
        effect->destroy();
        return nullptr;
    }
    return effect->getEffectRecord();
}

} // namespace
} // namespace sweepfilter

// C++ reserves the name `main` for the program's own entry, so the function has another name
// in C++ and the plain name `main` at the linker level.
extern "C" __attribute__((visibility("default"))) sweepfilter::EffectRecord*
pluginMain(sweepfilter::HostCallback hostCallback) __asm__("main");

extern "C" sweepfilter::EffectRecord* pluginMain(sweepfilter::HostCallback hostCallback)
{
    return sweepfilter::createEffect(hostCallback);
}
