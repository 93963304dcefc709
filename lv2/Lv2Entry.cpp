// The bundle's library: the descriptor LV2 hosts find through `lv2_descriptor`, the only
// symbol it exports.

#include <lv2/core/lv2.h>

#include "Lv2Instance.h"

namespace
{

using sweepfilter::lv2::Lv2Instance;

Lv2Instance* instanceOf(LV2_Handle handle)
{
    return static_cast<Lv2Instance*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features)
{
    return Lv2Instance::create(rate, features);
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data)
{
    instanceOf(handle)->connect(port, data);
}

void activate(LV2_Handle handle)
{
    instanceOf(handle)->activate();
}

void run(LV2_Handle handle, std::uint32_t frames)
{
    instanceOf(handle)->run(frames);
}

void cleanup(LV2_Handle handle)
{
    delete instanceOf(handle);
}

const void* extensionData(const char*)
{
    return nullptr;
}

constexpr LV2_Descriptor descriptor = {
    SWEEPFILTER_LV2_URI, instantiate, connectPort, activate, run, nullptr, cleanup, extensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
