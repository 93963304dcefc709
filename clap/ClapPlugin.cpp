#include "ClapPlugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "ClapExtensionTables.h"
#include "ClapParameters.h"
#include "FilterEffect.h"
#include "FrameRange.h"

namespace sweepfilter::clap
{
namespace
{

HostTime hostTimeOf(const clap_event_transport& transport) noexcept
{
    HostTime time;
    if (transport.flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE)
        time.beats = static_cast<double>(transport.song_pos_beats) /
                     static_cast<double>(CLAP_BEATTIME_FACTOR);
    if (transport.flags & CLAP_TRANSPORT_HAS_TEMPO)
        time.beatsPerMinute = transport.tempo;
    time.speed = (transport.flags & CLAP_TRANSPORT_IS_PLAYING) ? 1.0 : 0.0;
    return time;
}

// A copy of an event of type T, when the host's event is at least that large (so that reading
// it never runs past what the host gave, whatever its alignment).
template <typename T>
bool copyEvent(const clap_event_header& header, T& event) noexcept
{
    if (header.size < sizeof(T))
        return false;
    std::memcpy(&event, &header, sizeof(T));
    return true;
}

// The events of a list in order, skipping null entries and entries too short for a header.
template <typename Visit>
void forEachEvent(const clap_input_events* events, Visit&& visit) noexcept
{
    if (!events || !events->size || !events->get)
        return;
    const std::uint32_t count = events->size(events);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const clap_event_header* header = events->get(events, i);
        if (header && header->size >= sizeof(clap_event_header) &&
            header->space_id == CLAP_CORE_EVENT_SPACE_ID)
            visit(*header);
    }
}

// The two channels of a port's 32-bit buffer, or nulls when the port cannot carry them.
bool stereoChannels(const clap_audio_buffer* buffers, std::uint32_t count,
                    float* (&channels)[2]) noexcept
{
    channels[0] = channels[1] = nullptr;
    if (!buffers || count < 1 || !buffers->data32 || buffers->channel_count < 2 ||
        !buffers->data32[0] || !buffers->data32[1])
        return false;
    channels[0] = buffers->data32[0];
    channels[1] = buffers->data32[1];
    return true;
}

} // namespace

const clap_plugin* ClapPlugin::create(const clap_host* host,
                                      const clap_plugin_descriptor* descriptor) noexcept
{
    FilterEffect* effect = FilterEffect::createWithoutHost();
    if (!effect)
        return nullptr;
    auto* instance = new (std::nothrow) ClapPlugin(host, descriptor, effect);
    if (!instance)
    {
        effect->destroy();
        return nullptr;
    }
    return &instance->plugin_;
}

ClapPlugin* ClapPlugin::of(const clap_plugin* plugin) noexcept
{
    return plugin ? static_cast<ClapPlugin*>(plugin->plugin_data) : nullptr;
}

ClapPlugin::ClapPlugin(const clap_host* host, const clap_plugin_descriptor* descriptor,
                       FilterEffect* effect) noexcept
    : host_(host), effect_(effect)
{
    for (std::size_t k = 0; k < shown_.size(); ++k)
        shown_[k].store(settings_.value(static_cast<Control>(k)));
    plugin_ = {
        descriptor,
        this,
        [](const clap_plugin* p) { return of(p) && of(p)->init(); },
        [](const clap_plugin* p) { delete of(p); },
        [](const clap_plugin* p, double rate, std::uint32_t, std::uint32_t) {
            return of(p) && of(p)->activate(rate);
        },
        [](const clap_plugin* p) {
            if (of(p))
                of(p)->deactivate();
        },
        [](const clap_plugin* p) { return of(p) && of(p)->startProcessing(); },
        [](const clap_plugin* p) {
            if (of(p))
                of(p)->stopProcessing();
        },
        [](const clap_plugin* p) {
            if (of(p))
                of(p)->reset();
        },
        [](const clap_plugin* p, const clap_process* process) {
            return of(p) && process ? of(p)->process(*process) : CLAP_PROCESS_ERROR;
        },
        [](const clap_plugin*, const char* id) { return extensionFor(id); },
        [](const clap_plugin*) {},
    };
}

ClapPlugin::~ClapPlugin()
{
    effect_->destroy();
}

bool ClapPlugin::init() noexcept
{
    // Host extensions may be asked for from here on; every one is optional.
    if (host_ && host_->get_extension)
    {
        const auto* params =
            static_cast<const clap_host_params*>(host_->get_extension(host_, CLAP_EXT_PARAMS));
        if (params && params->rescan && params->request_flush)
            hostParams_ = params;
    }
    return true;
}

bool ClapPlugin::activate(double sampleRate) noexcept
{
    if (active_ || !(sampleRate >= lowestRate && sampleRate <= highestRate))
        return false;
    sampleRate_ = static_cast<float>(sampleRate);
    takeLoadedState();
    effect_->restart();
    settings_.restart();
    active_ = true;
    return true;
}

void ClapPlugin::deactivate() noexcept
{
    active_ = processing_ = false;
}

bool ClapPlugin::startProcessing() noexcept
{
    if (!active_ || processing_)
        return false;
    processing_ = true;
    return true;
}

void ClapPlugin::stopProcessing() noexcept
{
    processing_ = false;
}

void ClapPlugin::reset() noexcept
{
    if (!active_)
        return;
    effect_->restart();
    settings_.restart();
}

std::int32_t ClapPlugin::process(const clap_process& process) noexcept
{
    if (!active_ || !processing_)
        return CLAP_PROCESS_ERROR;
    takeLoadedState();
    float* in[2];
    float* out[2];
    const bool audio = stereoChannels(process.audio_inputs, process.audio_inputs_count, in) &&
                       stereoChannels(process.audio_outputs, process.audio_outputs_count, out);
    if (!audio)
        in[0] = in[1] = out[0] = out[1] = nullptr; // the effect then leaves the audio alone
    if (process.transport)
        reportTransport(*process.transport);

    // Each event applies from the frame it names; times beyond the block or going backwards
    // apply at the nearest frame that keeps them in order.
    const std::uint32_t frames = process.frames_count;
    std::uint32_t done = 0;
    forEachEvent(process.in_events, [&](const clap_event_header& header) {
        const auto splitAt = [&] {
            const std::uint32_t frame = std::clamp(header.time, done, frames);
            render(in, out, done, frame);
            done = frame;
        };
        if (clap_event_param_value event; header.type == CLAP_EVENT_PARAM_VALUE &&
                                          copyEvent(header, event) && controlOf(event.param_id))
        {
            splitAt();
            setFromHost(event.param_id, event.value);
        }
        else if (clap_event_transport transport;
                 header.type == CLAP_EVENT_TRANSPORT && copyEvent(header, transport))
        {
            splitAt();
            reportTransport(transport);
        }
    });
    render(in, out, done, frames);
    if (audio)
        process.audio_outputs->constant_mask = 0;
    return audio ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR;
}

void ClapPlugin::reportTransport(const clap_event_transport& transport) noexcept
{
    // The settings first: the host's time is counted at the rate they set.
    settings_.applyTo(*effect_, sampleRate_);
    effect_->reportHostTime(hostTimeOf(transport));
}

void ClapPlugin::render(float* const (&in)[2], float* const (&out)[2], std::uint32_t from,
                        std::uint32_t to) noexcept
{
    if (from == to)
        return;
    settings_.applyTo(*effect_, sampleRate_);
    processFrameRange(*effect_, in, out, from, to);
}

bool ClapPlugin::setFromHost(clap_id id, double plain) noexcept
{
    const auto control = controlOf(id);
    if (!control)
        return false;
    const float value = controlValue(*control, plain);
    if (settings_.set(*control, value))
        shown_[id].store(value, std::memory_order_relaxed);
    return true;
}

void ClapPlugin::flush(const clap_input_events* events) noexcept
{
    takeLoadedState();
    forEachEvent(events, [&](const clap_event_header& header) {
        if (clap_event_param_value event;
            header.type == CLAP_EVENT_PARAM_VALUE && copyEvent(header, event))
            setFromHost(event.param_id, event.value);
    });
}

bool ClapPlugin::getValue(clap_id id, double& value) const noexcept
{
    const auto control = controlOf(id);
    if (!control)
        return false;
    value = plainValue(*control, shown_[id].load(std::memory_order_relaxed));
    return true;
}

ControlValues ClapPlugin::shownValues() const noexcept
{
    ControlValues values;
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = shown_[k].load(std::memory_order_relaxed);
    return values;
}

bool ClapPlugin::save(const clap_ostream& stream) const noexcept
{
    return saveState(shownValues(), stream);
}

bool ClapPlugin::load(const clap_istream& stream) noexcept
{
    const auto values = loadState(stream);
    if (!values)
        return false;
    for (std::size_t k = 0; k < values->size(); ++k)
    {
        shown_[k].store((*values)[k], std::memory_order_relaxed);
        loaded_[k].store((*values)[k], std::memory_order_relaxed);
    }
    loadPending_.store(true, std::memory_order_release);
    if (!active_)
        takeLoadedState();
    else if (hostParams_)
        hostParams_->request_flush(host_); // so that it applies even while nothing plays
    if (hostParams_)
        hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
    return true;
}

void ClapPlugin::takeLoadedState() noexcept
{
    // A plain read first: the exchange costs a full barrier on every block otherwise.
    if (!loadPending_.load(std::memory_order_relaxed) ||
        !loadPending_.exchange(false, std::memory_order_acquire))
        return;
    for (std::size_t k = 0; k < loaded_.size(); ++k)
        settings_.set(static_cast<Control>(k), loaded_[k].load(std::memory_order_relaxed));
}

} // namespace sweepfilter::clap
