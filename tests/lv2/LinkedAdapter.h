#pragma once

#include <lv2/core/lv2.h>

#include "Lv2Instance.h"

namespace sweepfilter::test
{

// The adapter linked in rather than loaded, so that a test can watch the sweep's state.
inline lv2::Lv2Instance* instanceOf(LV2_Handle handle)
{
    return static_cast<lv2::Lv2Instance*>(handle);
}

inline const LV2_Descriptor* adapter()
{
    static const LV2_Descriptor descriptor = {
        "urn:sweepfilter:lv2",
        [](const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
            return static_cast<LV2_Handle>(lv2::Lv2Instance::create(rate, features));
        },
        [](LV2_Handle h, std::uint32_t port, void* data) { instanceOf(h)->connect(port, data); },
        [](LV2_Handle h) { instanceOf(h)->activate(); },
        [](LV2_Handle h, std::uint32_t frames) { instanceOf(h)->run(frames); },
        nullptr,
        [](LV2_Handle h) { delete instanceOf(h); },
        nullptr};
    return &descriptor;
}

} // namespace sweepfilter::test
