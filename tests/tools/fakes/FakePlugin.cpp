// A plug-in library that gets one thing wrong, for the host's error paths.

#include <cstdint>
#include <cstring>
#include <string>

#include "EffectOpcodes.h"
#include "EffectRecord.h"

namespace
{

#if defined(FAKE_TEXTS_ON_OPEN)
// Sets itself up on opening, as some plug-ins do: before that its texts are empty. Its first
// parameter's name is not UTF-8. It passes its input on times its parameter 3 ("P3"), so a
// host that zeroes parameters by their index rather than their name silences it. With its
// parameter 7 ("P7") at zero it crashes in processing.
bool opened = false;
float parameters[8] = {1, 1, 1, 1, 1, 1, 1, 1};

std::intptr_t dispatch(sweepfilter::EffectRecord*, std::int32_t opcode, std::int32_t index,
                       std::intptr_t, void* pointer, float)
{
    namespace opcode_ = sweepfilter::opcode;
    if (opcode == opcode_::open)
        opened = true;
    else if (opcode == opcode_::close)
        opened = false;
    else if (opcode == opcode_::getParameterName && opened && index == 0)
        std::strcpy(static_cast<char*>(pointer), "Gain \xff\xfe");
    else if (opcode == opcode_::getParameterName && opened)
        std::strcpy(static_cast<char*>(pointer), ("P" + std::to_string(index)).c_str());
    else if (opcode == opcode_::getProgramName && opened)
        std::strcpy(static_cast<char*>(pointer), "Opened");
    return 0;
}

float getParameter(sweepfilter::EffectRecord*, std::int32_t index)
{
    return parameters[index & 7];
}

void setParameter(sweepfilter::EffectRecord*, std::int32_t index, float value)
{
    parameters[index & 7] = value;
}

void process(sweepfilter::EffectRecord*, sweepfilter::StereoBuffers inputs,
             sweepfilter::StereoBuffers outputs, std::int32_t frames)
{
    if (parameters[7] == 0.0f)
        __builtin_trap(); // crashes on request, for the host's clean-up
    for (std::int32_t i = 0; i < frames; ++i)
        for (int channel = 0; channel < 2; ++channel)
            outputs[channel][i] = inputs[channel][i] * parameters[3];
}
#else
std::intptr_t dispatch(sweepfilter::EffectRecord*, std::int32_t, std::int32_t, std::intptr_t, void*,
                       float)
{
    return 0;
}
#endif

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
#elif defined(FAKE_TEXTS_ON_OPEN)
    r.numPrograms = 1;
    r.numParameters = 8;
    r.getParameter = getParameter;
    r.setParameter = setParameter;
    r.processReplace = process;
    r.processAccumulate = process;
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
