#include "Lv2Instance.h"

#include <algorithm>
#include <bit>
#include <new>

#include "FilterEffect.h"
#include "EffectFactory.h"

namespace sweepfilter::lv2
{

Lv2Instance* Lv2Instance::create() noexcept
{
    FilterEffect* effect = newFilterEffect(nullptr);
    if (!effect)
        return nullptr;
    auto* instance = new (std::nothrow) Lv2Instance(effect);
    if (!instance)
        effect->destroy();
    return instance;
}

Lv2Instance::Lv2Instance(FilterEffect* effect) noexcept : effect_(effect)
{
    // The effect starts in program 0, which is what the ports' defaults stand for.
    for (int k = 0; k < controlPortCount; ++k)
        applied_[static_cast<std::size_t>(k)] = portRange(static_cast<ControlPort>(k)).defaultValue;
}

Lv2Instance::~Lv2Instance()
{
    effect_->destroy();
}

void Lv2Instance::connect(std::uint32_t port, void* data) noexcept
{
    auto* samples = static_cast<float*>(data);
    switch (port)
    {
    case inputLeft:
    case inputRight:
        inputs_[port - inputLeft] = samples;
        return;
    case outputLeft:
    case outputRight:
        outputs_[port - outputLeft] = samples;
        return;
    default:
        if (port >= firstControl && port < portCount)
            controls_[port - firstControl] = samples;
    }
}

void Lv2Instance::activate() noexcept
{
    effect_->resume();
}

void Lv2Instance::applyChangedControls() noexcept
{
    for (int k = 0; k < controlPortCount; ++k)
    {
        const auto index = static_cast<std::size_t>(k);
        if (!controls_[index])
            continue;
        const float value = *controls_[index];
        if (std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(applied_[index]))
            continue;
        const auto converted = effectValue(static_cast<ControlPort>(k), value);
        if (!converted)
            continue; // NaN: the parameter stays as it was
        effect_->setParameter(k, *converted);
        applied_[index] = value;
    }
}

void Lv2Instance::run(std::uint32_t frames) noexcept
{
    applyChangedControls();
    // The effect does nothing when a buffer is missing.
    for (std::uint32_t done = 0; done < frames;)
    {
        const std::uint32_t chunk = std::min<std::uint32_t>(frames - done, 1u << 30);
        float* in[2] = {inputs_[0] ? inputs_[0] + done : nullptr,
                        inputs_[1] ? inputs_[1] + done : nullptr};
        float* out[2] = {outputs_[0] ? outputs_[0] + done : nullptr,
                         outputs_[1] ? outputs_[1] + done : nullptr};
        effect_->processReplace(in, out, static_cast<std::int32_t>(chunk));
        done += chunk;
    }
}

} // namespace sweepfilter::lv2
