// A plug-in library that gets one thing wrong, for the host's error paths.

#include <cstdint>

#include "EffectRecord.h"

namespace
{

std::intptr_t dispatch(sweepfilter::EffectRecord*, std::int32_t, std::int32_t, std::intptr_t, void*,
                       float)
{
    return 0;
}

sweepfilter::EffectRecord record = [] {
    sweepfilter::EffectRecord r{};
    r.magic = sweepfilter::effectMagic;
    r.dispatch = dispatch;
    r.numInputs = 2;
    r.numOutputs = 2;
#if defined(FAKE_WRONG_MAGIC)
    r.magic = 0x12345678;
#elif defined(FAKE_MONO_EFFECT)
    r.numInputs = 1;
    r.numOutputs = 1;
#endif
    return r;
}();

} // namespace

extern "C" __attribute__((visibility("default")))
sweepfilter::EffectRecord* fakeMain(sweepfilter::HostCallback) __asm__("main");

extern "C" sweepfilter::EffectRecord* fakeMain(sweepfilter::HostCallback)
{
#if defined(FAKE_NULL_EFFECT)
    return nullptr;
#else
    return &record;
#endif
}
