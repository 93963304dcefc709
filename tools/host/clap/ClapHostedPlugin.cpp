#include "ClapHostedPlugin.h"

#include "PluginError.h"

namespace sweepfilter::host
{

ClapHostedPlugin::ClapHostedPlugin(const std::string& path) : library_(path), instance_(library_)
{
    for (const auto& info : instance_.parameters())
        parameters_.push_back({info.name,
                               std::to_string(info.id),
                               info.min_value,
                               info.max_value,
                               info.default_value,
                               {}});
}

std::string ClapHostedPlugin::identity() const
{
    return library_.descriptors().front()->id;
}

std::string ClapHostedPlugin::name() const
{
    return library_.descriptors().front()->name;
}

clap::clap_id ClapHostedPlugin::id(std::size_t parameter) const
{
    return instance_.parameters()[parameter].id;
}

double ClapHostedPlugin::value(std::size_t parameter)
{
    return instance_.value(id(parameter)).value_or(parameters_[parameter].defaultValue);
}

std::string ClapHostedPlugin::valueText(std::size_t parameter)
{
    const double current = value(parameter);
    return instance_.text(id(parameter), current).value_or(std::to_string(current));
}

std::optional<double> ClapHostedPlugin::valueOf(std::size_t parameter, const std::string& text)
{
    return instance_.fromText(id(parameter), text);
}

void ClapHostedPlugin::set(std::size_t parameter, double value)
{
    events_.addParameter(0, id(parameter), value);
    // Before activation the values are flushed at once: the session starts with them.
    if (!instance_.isActive())
    {
        instance_.flush(events_);
        events_.clear();
    }
}

void ClapHostedPlugin::start(const SessionFormat& format)
{
    format_ = format;
    framesDone_ = 0;
    instance_.activate(format.sampleRate, 1, static_cast<std::uint32_t>(format.maxFrames));
}

void ClapHostedPlugin::process(float* const (&in)[2], float* const (&out)[2], std::int32_t frames)
{
    std::optional<ClapTransport> transport;
    if (format_.time)
        transport = ClapTransport{format_.time->startBeat + static_cast<double>(framesDone_) /
                                                                format_.sampleRate *
                                                                format_.time->beatsPerMinute / 60.0,
                                  format_.time->beatsPerMinute, true};
    const float* const input[2] = {in[0], in[1]};
    const std::int32_t status = instance_.process(input, out, static_cast<std::uint32_t>(frames),
                                                  &events_, transport ? &*transport : nullptr);
    events_.clear();
    if (status == clap::CLAP_PROCESS_ERROR)
        throw PluginError("the plug-in reported an error while processing");
    framesDone_ += frames;
}

void ClapHostedPlugin::stop()
{
    instance_.deactivate();
}

} // namespace sweepfilter::host
