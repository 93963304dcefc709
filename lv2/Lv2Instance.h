#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <array>
#include <cstdint>

#include "ControlSettings.h"
#include "Lv2Ports.h"
#include "TimePositionReader.h"

namespace sweepfilter
{
class FilterEffect;
}

namespace sweepfilter::lv2
{

// One effect as an LV2 plug-in instance. Its state is its ports: whenever a control port
// changes, every setting is derived again from all current port values in one fixed order,
// so the sound depends on the values and not on the order they were moved in. The host's
// transport arrives as time:Position on the atom port and is applied on the frame it names.
class Lv2Instance
{
public:
    // Rates from 1 kHz to 1 MHz.
    static constexpr double lowestRate = 1000.0, highestRate = 1.0e6;

    // Null for a rate outside that range or when memory runs out.
    static Lv2Instance* create(double sampleRate, const LV2_Feature* const* features) noexcept;
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    void connect(std::uint32_t port, void* data) noexcept;
    // Everything as in a new instance; the ports are applied again on the next run.
    void activate() noexcept;
    void run(std::uint32_t frames) noexcept;

    const FilterEffect& effect() const noexcept { return *effect_; }

private:
    Lv2Instance(FilterEffect* effect, float sampleRate, const TimeUrids& urids) noexcept;
    void applyControls() noexcept;
    void process(std::uint32_t from, std::uint32_t to) noexcept;

    FilterEffect* effect_;
    float sampleRate_;
    TimePositionReader timeReader_;
    std::array<const float*, controlCount> controls_{};
    ControlSettings settings_; // the port values the settings come from
    const LV2_Atom_Sequence* time_ = nullptr;
    float* inputs_[2] = {nullptr, nullptr};
    float* outputs_[2] = {nullptr, nullptr};
};

} // namespace sweepfilter::lv2
