#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "ClapState.h"
#include "ControlSettings.h"
#include "ClapExtensions.h"
#include "ClapProcess.h"

namespace sweepfilter
{
class FilterEffect;
}

namespace sweepfilter::clap
{

// One effect as a CLAP plug-in instance. Parameter events apply on the frame they name (the
// block is split there), the host's transport drives a host-synced sweep, and the state is
// the parameters' values. Calls out of the order the standard allows are refused.
//
// Threads: the parameters' values live twice. The audio side (`settings_`) is touched only by
// processing, flush and reset, or by the main thread while inactive; what the main thread
// reads (`shown_`) is kept in atomics. A state loaded while active waits in `loaded_` until
// the next process or flush picks it up.
class ClapPlugin
{
public:
    // Rates from 1 kHz to 1 MHz.
    static constexpr double lowestRate = 1000.0, highestRate = 1.0e6;

    // Null when memory runs out.
    static const clap_plugin* create(const clap_host* host,
                                     const clap_plugin_descriptor* descriptor) noexcept;
    // The instance behind a plug-in pointer; null for a null pointer.
    static ClapPlugin* of(const clap_plugin* plugin) noexcept;

    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    const FilterEffect& effect() const noexcept { return *effect_; }

    // The parameters, as the params extension shows them.
    bool getValue(clap_id id, double& value) const noexcept;
    void flush(const clap_input_events* events) noexcept;
    // The state extension.
    bool save(const clap_ostream& stream) const noexcept;
    bool load(const clap_istream& stream) noexcept;

private:
    ClapPlugin(const clap_host* host, const clap_plugin_descriptor* descriptor,
               FilterEffect* effect) noexcept;
    ~ClapPlugin();

    bool init() noexcept;
    bool activate(double sampleRate) noexcept;
    void deactivate() noexcept;
    bool startProcessing() noexcept;
    void stopProcessing() noexcept;
    void reset() noexcept;
    std::int32_t process(const clap_process& process) noexcept;

    // Applies one parameter value from the host; false for an unknown id.
    bool setFromHost(clap_id id, double plain) noexcept;
    void takeLoadedState() noexcept;
    void reportTransport(const clap_event_transport& transport) noexcept;
    // Processes frames [from, to) of the block.
    void render(float* const (&in)[2], float* const (&out)[2], std::uint32_t from,
                std::uint32_t to) noexcept;
    ControlValues shownValues() const noexcept;

    clap_plugin plugin_;
    const clap_host* host_;
    const clap_host_params* hostParams_ = nullptr;
    FilterEffect* effect_;
    ControlSettings settings_;
    std::array<std::atomic<float>, controlCount> shown_;
    std::array<std::atomic<float>, controlCount> loaded_;
    std::atomic<bool> loadPending_{false};
    float sampleRate_ = 44100.0f;
    bool active_ = false;
    bool processing_ = false;
};

} // namespace sweepfilter::clap
