// The library's entry point: the host calls `main` with its callback and receives the record
// of a new effect. `main` is the only symbol the library exports.

#include "EffectFactory.h"

// C++ reserves the name `main` for the program's own entry, so the function has another name
// in C++ and the plain name `main` at the linker level.
extern "C" __attribute__((visibility("default"))) sweepfilter::EffectRecord*
pluginMain(sweepfilter::HostCallback hostCallback) __asm__("main");

extern "C" sweepfilter::EffectRecord* pluginMain(sweepfilter::HostCallback hostCallback)
{
    return sweepfilter::createFilterEffect(hostCallback);
}
