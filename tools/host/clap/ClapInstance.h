#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ClapEventList.h"
#include "ClapExtensions.h"
#include "ClapLibrary.h"
#include "ClapProcess.h"

namespace sweepfilter::host
{

// One CLAP plug-in instance driven as a careful host drives it: created and initialised, its
// parameters and stereo ports checked, then activated, processed with events and transport,
// flushed, saved and loaded, deactivated and destroyed in the order the standard allows.
// What the plug-in does against the rules (host calls from the wrong thread, a process status
// out of range) is noted as a complaint.
class ClapInstance
{
public:
    // Which host extensions the instance is offered: all that this host has (log,
    // thread-check, params, state, latency), or none at all.
    enum class HostSupport
    {
        full,
        none
    };

    // The plug-in of this id (the module's first when empty). Throws PluginError when it
    // cannot be created or initialised, or when its parameters or ports are unusable.
    ClapInstance(const ClapLibrary& library, const std::string& id = {},
                 HostSupport support = HostSupport::full);
    // The plug-in of this id from any factory.
    ClapInstance(const clap::clap_plugin_factory& factory, const std::string& id,
                 HostSupport support = HostSupport::full);
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap::clap_plugin& plugin() const { return *plugin_; }

    const std::vector<clap::clap_param_info>& parameters() const { return parameters_; }
    // The parameter of this name; null when there is none.
    const clap::clap_param_info* parameter(std::string_view name) const;
    std::optional<double> value(clap::clap_id id) const;
    std::optional<std::string> text(clap::clap_id id, double value,
                                    std::uint32_t capacity = clap::CLAP_NAME_SIZE) const;
    std::optional<double> fromText(clap::clap_id id, const std::string& text) const;

    // Throws PluginError when the plug-in refuses.
    void activate(double sampleRate, std::uint32_t minFrames = 1, std::uint32_t maxFrames = 4096);
    void deactivate();
    void stopProcessing();
    void reset();
    bool isActive() const { return active_; }

    // Processes one block (starting processing first when needed); in and out may be the same
    // buffers. Returns the plug-in's status.
    std::int32_t process(const float* const (&in)[2], float* const (&out)[2], std::uint32_t frames,
                         const ClapEventList* events = nullptr,
                         const ClapTransport* transport = nullptr);
    void flush(const ClapEventList& events);

    // The state in writes of at most `chunk` bytes; none when saving fails.
    std::optional<std::vector<std::uint8_t>> saveState(std::size_t chunk = SIZE_MAX) const;
    // Hands the bytes over in reads of at most `chunk` bytes; a stream that `fails` reports an
    // error after them instead of their end.
    bool loadState(const std::vector<std::uint8_t>& bytes, std::size_t chunk = SIZE_MAX,
                   bool fails = false);

    std::vector<std::string> complaints() const;
    // How often the plug-in asked for a flush, a rescan of values, a restart.
    int flushRequests() const { return flushRequests_.load(); }
    int valueRescans() const { return valueRescans_.load(); }

private:
    void checkParameters();
    void checkPorts() const;
    void complain(std::string what) const;
    bool onMainThread() const { return std::this_thread::get_id() == mainThread_; }
    template <typename Extension>
    const Extension* extension(const char* id) const;

    static const void* hostExtension(const clap::clap_host* host, const char* id);
    static ClapInstance& of(const clap::clap_host* host);

    clap::clap_host host_;
    HostSupport support_;
    std::thread::id mainThread_;
    const clap::clap_plugin* plugin_ = nullptr;
    const clap::clap_plugin_params* params_ = nullptr;
    std::vector<clap::clap_param_info> parameters_;
    bool active_ = false;
    bool processing_ = false;
    bool activating_ = false;
    std::atomic<int> flushRequests_{0};
    std::atomic<int> valueRescans_{0};
    mutable std::mutex complaintsLock_;
    mutable std::vector<std::string> complaints_;
};

} // namespace sweepfilter::host
