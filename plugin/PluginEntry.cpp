// The library's entry point: the host calls `main` with its callback and receives the record
// of a new effect. `main` is the only symbol the library exports.

#include "EffectFactory.h"

// C++ reserves the name `main` for the program's own entry, so the function has another name
// in C++ and the plain C name `main` at the linker level (with the platform's C prefix, "_" on
// 32-bit Windows, so that the export list finds it under its undecorated name).
#define SWEEPFILTER_STRINGIFY(x) #x
#define SWEEPFILTER_C_NAME(prefix, name) SWEEPFILTER_STRINGIFY(prefix) name
#define SWEEPFILTER_ENTRY_NAME SWEEPFILTER_C_NAME(__USER_LABEL_PREFIX__, "main")

extern "C" __attribute__((visibility("default"))) sweepfilter::EffectRecord*
pluginMain(sweepfilter::HostCallback hostCallback) __asm__(SWEEPFILTER_ENTRY_NAME);

extern "C" sweepfilter::EffectRecord* pluginMain(sweepfilter::HostCallback hostCallback)
{
    return sweepfilter::createFilterEffect(hostCallback);
}
