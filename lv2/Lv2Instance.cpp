#include "Lv2Instance.h"

#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "FilterEffect.h"
#include "FrameRange.h"

namespace sweepfilter::lv2
{
namespace
{

const LV2_URID_Map* findMap(const LV2_Feature* const* features) noexcept
{
    for (; features && *features; ++features)
        if ((*features)->URI && std::strcmp((*features)->URI, LV2_URID__map) == 0)
            return static_cast<const LV2_URID_Map*>((*features)->data);
    return nullptr;
}

} // namespace

Lv2Instance* Lv2Instance::create(double sampleRate, const LV2_Feature* const* features) noexcept
{
    if (!(sampleRate >= lowestRate && sampleRate <= highestRate))
        return nullptr;
    FilterEffect* effect = FilterEffect::createWithoutHost();
    if (!effect)
        return nullptr;
    auto* instance = new (std::nothrow)
        Lv2Instance(effect, static_cast<float>(sampleRate), TimeUrids::map(findMap(features)));
    if (!instance)
        effect->destroy();
    return instance;
}

Lv2Instance::Lv2Instance(FilterEffect* effect, float sampleRate, const TimeUrids& urids) noexcept
    : effect_(effect), sampleRate_(sampleRate), timeReader_(urids)
{
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
    case timePort:
        time_ = static_cast<const LV2_Atom_Sequence*>(data);
        return;
    default:
        if (const std::uint32_t k = controlAt(port); k < controlCount)
            controls_[k] = samples;
    }
}

void Lv2Instance::activate() noexcept
{
    effect_->restart();
    settings_.restart();
}

// NaN leaves a control as it was; values outside a range are limited by the conversion.
void Lv2Instance::applyControls() noexcept
{
    for (std::size_t k = 0; k < controls_.size(); ++k)
        if (controls_[k])
            settings_.set(static_cast<Control>(k), *controls_[k]);
    settings_.applyTo(*effect_, sampleRate_);
}

void Lv2Instance::run(std::uint32_t frames) noexcept
{
    applyControls();
    // Each position applies from the frame it names on; stamps outside the block, or going
    // backwards, apply at the nearest frame that keeps them in order.
    std::uint32_t done = 0;
    timeReader_.read(time_, [&](std::int64_t stamp, const HostTime& time) {
        const auto frame = static_cast<std::uint32_t>(
            std::clamp<std::int64_t>(stamp, done, static_cast<std::int64_t>(frames)));
        process(done, frame);
        done = frame;
        effect_->reportHostTime(time);
    });
    process(done, frames);
}

void Lv2Instance::process(std::uint32_t from, std::uint32_t to) noexcept
{
    processFrameRange(*effect_, inputs_, outputs_, from, to);
}

} // namespace sweepfilter::lv2
