#pragma once

#include <array>
#include <cstdint>

#include "PortConversion.h"

namespace sweepfilter
{
class FilterEffect;
}

namespace sweepfilter::lv2
{

// Port indices: the audio ports, then the eight control ports in the effect's parameter order.
enum PortIndex : std::uint32_t
{
    inputLeft,
    inputRight,
    outputLeft,
    outputRight,
    firstControl,
    portCount = firstControl + controlPortCount
};

// One effect as an LV2 plug-in instance: ports in, the effect's parameters and processing
// out. A control port is applied only when its value changed since the last run (hosts hand
// every port on every block, and re-applying a value restarts the sweep). The effect keeps
// its own 44.1 kHz tuning whatever the host's rate.
class Lv2Instance
{
public:
    // Null when memory runs out.
    static Lv2Instance* create() noexcept;
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    void connect(std::uint32_t port, void* data) noexcept;
    // The effect's resume: the soft filter and the delay line start from silence.
    void activate() noexcept;
    void run(std::uint32_t frames) noexcept;

private:
    explicit Lv2Instance(FilterEffect* effect) noexcept;
    void applyChangedControls() noexcept;

    FilterEffect* effect_;
    std::array<const float*, controlPortCount> controls_{};
    std::array<float, controlPortCount> applied_{}; // the port values the effect has now
    float* inputs_[2] = {nullptr, nullptr};
    float* outputs_[2] = {nullptr, nullptr};
};

} // namespace sweepfilter::lv2
