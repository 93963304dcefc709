#include "ClapInstance.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "PluginError.h"

namespace sweepfilter::host
{
namespace
{

using namespace clap;

// Set while this thread is inside a call in the audio role.
thread_local bool inAudioCall = false;

struct AudioCall
{
    AudioCall() { inAudioCall = true; }
    ~AudioCall() { inAudioCall = false; }
    AudioCall(const AudioCall&) = delete;
    AudioCall& operator=(const AudioCall&) = delete;
};

bool terminatedWithin(const char* text, std::size_t capacity)
{
    return std::memchr(text, '\0', capacity) != nullptr;
}

// Streams over a byte vector that move at most `chunk` bytes per call.
struct OutStream
{
    std::vector<std::uint8_t> bytes;
    std::size_t chunk;
    clap_ostream stream{this, [](const clap_ostream* s, const void* data, std::uint64_t size) {
                            auto* self = static_cast<OutStream*>(s->ctx);
                            const auto n = static_cast<std::size_t>(
                                std::min<std::uint64_t>(size, self->chunk));
                            const auto* from = static_cast<const std::uint8_t*>(data);
                            self->bytes.insert(self->bytes.end(), from, from + n);
                            return static_cast<std::int64_t>(n);
                        }};
};

struct InStream
{
    const std::vector<std::uint8_t>& bytes;
    std::size_t chunk;
    bool fails;
    std::size_t at = 0;
    clap_istream stream{this, [](const clap_istream* s, void* data, std::uint64_t size) {
                            auto* self = static_cast<InStream*>(s->ctx);
                            const std::size_t left = self->bytes.size() - self->at;
                            if (left == 0)
                                return self->fails ? std::int64_t{-1} : std::int64_t{0};
                            const auto n = static_cast<std::size_t>(
                                std::min<std::uint64_t>({size, self->chunk, std::uint64_t{left}}));
                            std::memcpy(data, self->bytes.data() + self->at, n);
                            self->at += n;
                            return static_cast<std::int64_t>(n);
                        }};
};

} // namespace

ClapInstance& ClapInstance::of(const clap_host* host)
{
    return *static_cast<ClapInstance*>(host->host_data);
}

const void* ClapInstance::hostExtension(const clap_host* host, const char* id)
{
    static constexpr clap_host_log log = {
        [](const clap_host* h, std::int32_t severity, const char* message) {
            if (severity >= CLAP_LOG_ERROR)
                of(h).complain(std::string("logged: ") + (message ? message : "(null)"));
        }};
    static constexpr clap_host_thread_check threadCheck = {
        [](const clap_host* h) { return of(h).onMainThread(); },
        [](const clap_host*) { return inAudioCall; }};
    static constexpr clap_host_params params = {
        [](const clap_host* h, std::uint32_t flags) {
            ClapInstance& self = of(h);
            if (!self.onMainThread())
                self.complain("params rescan outside the main thread");
            if (flags & CLAP_PARAM_RESCAN_VALUES)
                ++self.valueRescans_;
        },
        [](const clap_host* h, clap_id, std::uint32_t) {
            if (!of(h).onMainThread())
                of(h).complain("params clear outside the main thread");
        },
        [](const clap_host* h) {
            if (inAudioCall)
                of(h).complain("params request_flush from the audio thread");
            ++of(h).flushRequests_;
        }};
    static constexpr clap_host_state state = {[](const clap_host* h) {
        if (!of(h).onMainThread())
            of(h).complain("state mark_dirty outside the main thread");
    }};
    static constexpr struct
    {
        void(SWEEPFILTER_CLAP_CALL* changed)(const clap_host*);
    } latency = {[](const clap_host* h) {
        if (!of(h).activating_)
            of(h).complain("latency changed outside activate");
    }};
    if (!host || !id || of(host).support_ == HostSupport::none)
        return nullptr;
    const std::pair<const char*, const void*> extensions[] = {{CLAP_EXT_LOG, &log},
                                                              {CLAP_EXT_THREAD_CHECK, &threadCheck},
                                                              {CLAP_EXT_PARAMS, &params},
                                                              {CLAP_EXT_STATE, &state},
                                                              {CLAP_EXT_LATENCY, &latency}};
    for (const auto& [name, extension] : extensions)
        if (std::strcmp(id, name) == 0)
            return extension;
    return nullptr;
}

namespace
{

std::string idOrFirst(const ClapLibrary& library, const std::string& id)
{
    if (!id.empty())
        return id;
    if (library.descriptors().empty())
        throw PluginError(library.path() + ": the module holds no plug-in");
    return library.descriptors().front()->id;
}

} // namespace

ClapInstance::ClapInstance(const ClapLibrary& library, const std::string& id, HostSupport support)
    : ClapInstance(library.factory(), idOrFirst(library, id), support)
{
}

ClapInstance::ClapInstance(const clap_plugin_factory& factory, const std::string& id,
                           HostSupport support)
    : support_(support), mainThread_(std::this_thread::get_id())
{
    host_ = {CLAP_VERSION,
             this,
             "sweepfilter",
             "The sweepfilter developers",
             "",
             "1.0",
             &ClapInstance::hostExtension,
             [](const clap_host*) {},
             [](const clap_host*) {},
             [](const clap_host*) {}};
    plugin_ = factory.create_plugin(&factory, &host_, id.c_str());
    if (!plugin_)
        throw PluginError("cannot create plug-in " + id);
    if (!plugin_->desc || !plugin_->desc->id || id != plugin_->desc->id || !plugin_->init ||
        !plugin_->destroy || !plugin_->activate || !plugin_->deactivate ||
        !plugin_->start_processing || !plugin_->stop_processing || !plugin_->reset ||
        !plugin_->process || !plugin_->get_extension || !plugin_->on_main_thread)
        throw PluginError("plug-in " + id + " is incomplete");
    if (!plugin_->init(plugin_))
    {
        plugin_->destroy(plugin_);
        throw PluginError("plug-in " + id + " failed to initialise");
    }
    try
    {
        checkParameters();
        checkPorts();
    }
    catch (...)
    {
        plugin_->destroy(plugin_);
        throw;
    }
}

ClapInstance::~ClapInstance()
{
    deactivate();
    plugin_->destroy(plugin_);
}

template <typename Extension>
const Extension* ClapInstance::extension(const char* id) const
{
    return static_cast<const Extension*>(plugin_->get_extension(plugin_, id));
}

void ClapInstance::checkParameters()
{
    params_ = extension<clap_plugin_params>(CLAP_EXT_PARAMS);
    if (!params_)
        return;
    if (!params_->count || !params_->get_info || !params_->get_value || !params_->value_to_text ||
        !params_->text_to_value || !params_->flush)
        throw PluginError("the params extension lacks a function");
    const std::uint32_t count = params_->count(plugin_);
    std::set<clap_id> ids;
    for (std::uint32_t i = 0; i <= count; ++i)
    {
        clap_param_info info{};
        const bool given = params_->get_info(plugin_, i, &info);
        if (i == count)
        {
            if (given)
                throw PluginError("a parameter beyond the count");
            break;
        }
        if (!given || !ids.insert(info.id).second ||
            !terminatedWithin(info.name, sizeof info.name) ||
            !terminatedWithin(info.module, sizeof info.module) || !std::isfinite(info.min_value) ||
            !std::isfinite(info.max_value) ||
            !(info.min_value <= info.default_value && info.default_value <= info.max_value))
            throw PluginError("parameter " + std::to_string(i) + " is described wrongly");
        parameters_.push_back(info);
    }
}

void ClapInstance::checkPorts() const
{
    const auto* ports = extension<clap_plugin_audio_ports>(CLAP_EXT_AUDIO_PORTS);
    if (!ports || !ports->count || !ports->get)
        throw PluginError("the plug-in has no audio ports");
    for (bool input : {true, false})
    {
        clap_audio_port_info info{};
        if (ports->count(plugin_, input) < 1 || !ports->get(plugin_, 0, input, &info) ||
            info.channel_count != 2 || !(info.flags & CLAP_AUDIO_PORT_IS_MAIN))
            throw PluginError(std::string("the plug-in has no stereo main ") +
                              (input ? "input" : "output"));
    }
}

const clap_param_info* ClapInstance::parameter(std::string_view name) const
{
    for (const clap_param_info& info : parameters_)
        if (name == info.name)
            return &info;
    return nullptr;
}

std::optional<double> ClapInstance::value(clap_id id) const
{
    double value = 0.0;
    if (!params_ || !params_->get_value(plugin_, id, &value))
        return std::nullopt;
    return value;
}

std::optional<std::string> ClapInstance::text(clap_id id, double value,
                                              std::uint32_t capacity) const
{
    // A guard byte beyond the capacity shows any overflow.
    std::vector<char> buffer(capacity + 1u, '\x7F');
    if (!params_ || !params_->value_to_text(plugin_, id, value, buffer.data(), capacity))
        return std::nullopt;
    if (buffer[capacity] != '\x7F' || !terminatedWithin(buffer.data(), capacity))
        complain("value_to_text wrote beyond its capacity");
    return std::string(buffer.data(), strnlen(buffer.data(), capacity));
}

std::optional<double> ClapInstance::fromText(clap_id id, const std::string& text) const
{
    double value = 0.0;
    if (!params_ || !params_->text_to_value(plugin_, id, text.c_str(), &value))
        return std::nullopt;
    return value;
}

void ClapInstance::activate(double sampleRate, std::uint32_t minFrames, std::uint32_t maxFrames)
{
    activating_ = true;
    const bool activated = plugin_->activate(plugin_, sampleRate, minFrames, maxFrames);
    activating_ = false;
    if (!activated)
        throw PluginError("the plug-in refused to activate at " + std::to_string(sampleRate) +
                          " Hz");
    active_ = true;
}

void ClapInstance::stopProcessing()
{
    if (!processing_)
        return;
    AudioCall audio;
    plugin_->stop_processing(plugin_);
    processing_ = false;
}

void ClapInstance::deactivate()
{
    if (!active_)
        return;
    stopProcessing();
    plugin_->deactivate(plugin_);
    active_ = false;
}

void ClapInstance::reset()
{
    AudioCall audio;
    plugin_->reset(plugin_);
}

std::int32_t ClapInstance::process(const float* const (&in)[2], float* const (&out)[2],
                                   std::uint32_t frames, const ClapEventList* events,
                                   const ClapTransport* transport)
{
    AudioCall audio;
    if (!processing_)
    {
        if (!plugin_->start_processing(plugin_))
            throw PluginError("the plug-in refused to start processing");
        processing_ = true;
    }
    float* inputs[2] = {const_cast<float*>(in[0]), const_cast<float*>(in[1])};
    float* outputs[2] = {out[0], out[1]};
    const clap_audio_buffer input = {inputs, nullptr, 2, 0, 0};
    clap_audio_buffer output = {outputs, nullptr, 2, 0, 0};
    static const ClapEventList none;
    static const clap_output_events sink = {
        nullptr, [](const clap_output_events*, const clap_event_header*) {
            return false; // this host takes no events back
        }};
    clap_event_transport time;
    if (transport)
        time = ClapEventList::transportEvent(0, *transport);
    const clap_process process = {-1, frames, transport ? &time : nullptr,       &input, &output,
                                  1,  1,      (events ? events : &none)->list(), &sink};
    const std::int32_t status = plugin_->process(plugin_, &process);
    if (status < CLAP_PROCESS_ERROR || status > CLAP_PROCESS_SLEEP)
        complain("process returned status " + std::to_string(status));
    return status;
}

void ClapInstance::flush(const ClapEventList& events)
{
    if (!params_)
        return;
    clap_output_events sink = {
        nullptr, [](const clap_output_events*, const clap_event_header*) { return false; }};
    if (active_)
    {
        AudioCall audio;
        params_->flush(plugin_, events.list(), &sink);
    }
    else
        params_->flush(plugin_, events.list(), &sink);
}

std::optional<std::vector<std::uint8_t>> ClapInstance::saveState(std::size_t chunk) const
{
    const auto* state = extension<clap_plugin_state>(CLAP_EXT_STATE);
    OutStream out{{}, chunk};
    if (!state || !state->save || !state->save(plugin_, &out.stream))
        return std::nullopt;
    return std::move(out.bytes);
}

bool ClapInstance::loadState(const std::vector<std::uint8_t>& bytes, std::size_t chunk, bool fails)
{
    const auto* state = extension<clap_plugin_state>(CLAP_EXT_STATE);
    InStream in{bytes, chunk, fails};
    return state && state->load && state->load(plugin_, &in.stream);
}

void ClapInstance::complain(std::string what) const
{
    const std::lock_guard lock(complaintsLock_);
    complaints_.push_back(std::move(what));
}

std::vector<std::string> ClapInstance::complaints() const
{
    const std::lock_guard lock(complaintsLock_);
    return complaints_;
}

} // namespace sweepfilter::host
