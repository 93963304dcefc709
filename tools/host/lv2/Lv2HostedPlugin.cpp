#include "Lv2HostedPlugin.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>
#include <lv2/units/units.h>

#include "PluginError.h"

namespace sweepfilter::host
{
namespace
{

// Unit symbols for hosts whose world lacks the units vocabulary (a bundle loaded alone).
std::string knownUnitSymbol(const std::string& unitUri)
{
    static const std::pair<const char*, const char*> symbols[] = {{"hz", "Hz"},
                                                                  {"khz", "kHz"},
                                                                  {"mhz", "MHz"},
                                                                  {"bpm", "BPM"},
                                                                  {"pc", "%"},
                                                                  {"ms", "ms"},
                                                                  {"s", "s"},
                                                                  {"db", "dB"},
                                                                  {"frame", "frames"},
                                                                  {"cent", "ct"},
                                                                  {"semitone12TET", "semi"},
                                                                  {"beat", "beats"},
                                                                  {"bar", "bars"}};
    const std::string fragment = unitUri.substr(unitUri.find_last_of("#/") + 1);
    for (auto [name, symbol] : symbols)
        if (fragment == name)
            return symbol;
    return fragment;
}

std::string text(LilvNode* node)
{
    std::string result = node ? lilv_node_as_string(node) : "";
    lilv_node_free(node);
    return result;
}

} // namespace

Lv2HostedPlugin::Lv2HostedPlugin(const std::string& bundleOrUri)
    : path_(bundleOrUri), world_(lilv_world_new())
{
    if (!world_)
        throw PluginError("lilv could not make a world");
    mapFeature_ = {this, [](LV2_URID_Map_Handle self, const char* uri) {
                       return static_cast<Lv2HostedPlugin*>(self)->map(uri);
                   }};
    unmapFeature_ = {this, [](LV2_URID_Unmap_Handle self, LV2_URID id) -> const char* {
                         const auto& uris = static_cast<Lv2HostedPlugin*>(self)->uris_;
                         return id >= 1 && id <= uris.size() ? uris[id - 1].c_str() : nullptr;
                     }};
    features_[0] = {LV2_URID__map, &mapFeature_};
    features_[1] = {LV2_URID__unmap, &unmapFeature_};
    featureList_[0] = &features_[0];
    featureList_[1] = &features_[1];
    featureList_[2] = nullptr;
    try
    {
        findPlugin(bundleOrUri);
        checkFeatures();
        describePorts();
    }
    catch (...)
    {
        release();
        throw;
    }
}

Lv2HostedPlugin::~Lv2HostedPlugin()
{
    release();
}

void Lv2HostedPlugin::release()
{
    if (instance_)
        stop();
    for (LilvNode* node : nodes_)
        lilv_node_free(node);
    nodes_.clear();
    if (world_)
        lilv_world_free(world_);
    world_ = nullptr;
}

LilvNode* Lv2HostedPlugin::uri(const char* text)
{
    return nodes_.emplace_back(lilv_new_uri(world_, text));
}

LV2_URID Lv2HostedPlugin::map(const char* uri)
{
    for (std::size_t i = 0; i < uris_.size(); ++i)
        if (uris_[i] == uri)
            return static_cast<LV2_URID>(i + 1);
    uris_.emplace_back(uri);
    return static_cast<LV2_URID>(uris_.size());
}

void Lv2HostedPlugin::findPlugin(const std::string& bundleOrUri)
{
    std::error_code unknown;
    if (std::filesystem::is_directory(bundleOrUri, unknown))
    {
        // The bundle alone, so that an installed copy of the same plug-in cannot stand in.
        std::string folder = std::filesystem::absolute(bundleOrUri).lexically_normal().string();
        if (!folder.ends_with('/'))
            folder += '/';
        LilvNode* bundle = nodes_.emplace_back(lilv_new_file_uri(world_, nullptr, folder.c_str()));
        lilv_world_load_bundle(world_, bundle);
        const LilvPlugins* plugins = lilv_world_get_all_plugins(world_);
        LILV_FOREACH(plugins, i, plugins)
        {
            const LilvPlugin* candidate = lilv_plugins_get(plugins, i);
            if (lilv_node_equals(lilv_plugin_get_bundle_uri(candidate), bundle))
            {
                plugin_ = candidate;
                break;
            }
        }
        if (!plugin_)
            throw PluginError("LV2 bundle " + bundleOrUri + " describes no plug-in");
    }
    else
    {
        lilv_world_load_all(world_);
        plugin_ =
            lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri(bundleOrUri.c_str()));
        if (!plugin_)
            throw PluginError("no LV2 plug-in " + bundleOrUri +
                              " is installed where LV2 hosts look (LV2_PATH names more folders)");
    }
    if (!lilv_plugin_verify(plugin_))
        throw PluginError("LV2 plug-in " + identity() + " has an incomplete description");
}

void Lv2HostedPlugin::checkFeatures() const
{
    LilvNodes* required = lilv_plugin_get_required_features(plugin_);
    std::string missing;
    LILV_FOREACH(nodes, i, required)
    {
        const char* feature = lilv_node_as_uri(lilv_nodes_get(required, i));
        if (std::strcmp(feature, LV2_URID__map) != 0 && std::strcmp(feature, LV2_URID__unmap) != 0)
            missing += std::string(missing.empty() ? "" : ", ") + feature;
    }
    lilv_nodes_free(required);
    if (!missing.empty())
        throw PluginError("LV2 plug-in " + identity() +
                          " needs what this host does not offer: " + missing);
}

std::string Lv2HostedPlugin::unitOf(const LilvPort* port)
{
    LilvNodes* units = lilv_port_get_value(plugin_, port, uri(LV2_UNITS__unit));
    std::string symbol;
    if (units && lilv_nodes_size(units) > 0)
    {
        const LilvNode* unit = lilv_nodes_get_first(units);
        symbol = text(lilv_world_get(world_, unit, uri(LV2_UNITS__symbol), nullptr));
        if (symbol.empty() && lilv_node_is_uri(unit))
            symbol = knownUnitSymbol(lilv_node_as_uri(unit));
    }
    lilv_nodes_free(units);
    return symbol;
}

void Lv2HostedPlugin::describePorts()
{
    const std::uint32_t count = lilv_plugin_get_num_ports(plugin_);
    std::vector<float> minimum(count), maximum(count), defaults(count);
    lilv_plugin_get_port_ranges_float(plugin_, minimum.data(), maximum.data(), defaults.data());
    portValues_.assign(count, 0.0f);
    LilvNode* input = uri(LV2_CORE__InputPort);
    LilvNode* optional = uri(LV2_CORE__connectionOptional);
    int audioInputs = 0, audioOutputs = 0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, i);
        const bool isInput = lilv_port_is_a(plugin_, port, input);
        if (lilv_port_is_a(plugin_, port, uri(LV2_CORE__AudioPort)))
        {
            int& seen = isInput ? audioInputs : audioOutputs;
            if (seen < 2)
                (isInput ? audioIn_ : audioOut_)[seen] = i;
            ++seen;
        }
        else if (lilv_port_is_a(plugin_, port, uri(LV2_CORE__ControlPort)))
        {
            if (!isInput)
            {
                controlOutputs_.push_back(i);
                continue;
            }
            const double low = std::isnan(minimum[i]) ? 0.0 : minimum[i];
            const double high = std::isnan(maximum[i]) ? 1.0 : maximum[i];
            const double start = std::isnan(defaults[i]) ? low : defaults[i];
            portValues_[i] = static_cast<float>(start);
            parameters_.push_back({text(lilv_port_get_name(plugin_, port)),
                                   lilv_node_as_string(lilv_port_get_symbol(plugin_, port)), low,
                                   high, start, unitOf(port)});
            controlPorts_.push_back(i);
            auto& points = scalePoints_.emplace_back();
            LilvScalePoints* scale = lilv_port_get_scale_points(plugin_, port);
            LILV_FOREACH(scale_points, k, scale)
            {
                const LilvScalePoint* point = lilv_scale_points_get(scale, k);
                points.push_back({lilv_node_as_string(lilv_scale_point_get_label(point)),
                                  lilv_node_as_float(lilv_scale_point_get_value(point))});
            }
            lilv_scale_points_free(scale);
        }
        else if (lilv_port_is_a(plugin_, port, uri(LV2_ATOM__AtomPort)))
        {
            (isInput ? atomInputs_ : atomOutputs_).push_back(i);
        }
        else if (!lilv_port_has_property(plugin_, port, optional))
        {
            throw PluginError("LV2 plug-in " + identity() + ": port '" +
                              lilv_node_as_string(lilv_port_get_symbol(plugin_, port)) +
                              "' is of a kind this host does not connect");
        }
    }
    if (audioInputs != 2 || audioOutputs != 2)
        throw PluginError("LV2 plug-in " + identity() + " has " + std::to_string(audioInputs) +
                          " audio inputs and " + std::to_string(audioOutputs) +
                          " outputs; the tool hosts stereo effects (two of each)");
}

std::string Lv2HostedPlugin::identity() const
{
    return lilv_node_as_uri(lilv_plugin_get_uri(plugin_));
}

std::string Lv2HostedPlugin::name() const
{
    return text(lilv_plugin_get_name(plugin_));
}

double Lv2HostedPlugin::value(std::size_t parameter)
{
    return portValues_[controlPorts_[parameter]];
}

std::string Lv2HostedPlugin::valueText(std::size_t parameter)
{
    const float current = portValues_[controlPorts_[parameter]];
    for (const auto& point : scalePoints_[parameter])
        if (point.value == current)
            return point.label;
    char number[32];
    std::snprintf(number, sizeof number, "%.6g", static_cast<double>(current));
    const std::string& unit = parameters_[parameter].unit;
    return unit.empty() ? number : std::string(number) + " " + unit;
}

std::optional<double> Lv2HostedPlugin::valueOf(std::size_t parameter, const std::string& text)
{
    const std::string wanted = comparableName(text);
    for (const auto& point : scalePoints_[parameter])
        if (comparableName(point.label) == wanted)
            return point.value;
    // A number with the port's unit: "1000 Hz".
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (end != text.c_str() && std::isfinite(number) &&
        comparableName(end) == comparableName(parameters_[parameter].unit))
        return number;
    return std::nullopt;
}

void Lv2HostedPlugin::set(std::size_t parameter, double value)
{
    // The port is connected to this value: the next run reads it.
    portValues_[controlPorts_[parameter]] = static_cast<float>(value);
}

void Lv2HostedPlugin::start(const SessionFormat& format)
{
    format_ = format;
    first_ = true;
    instance_ = lilv_plugin_instantiate(plugin_, format.sampleRate, featureList_);
    if (!instance_)
        throw PluginError("LV2 plug-in " + identity() + " did not instantiate at " +
                          std::to_string(format.sampleRate) + " Hz");
    for (std::uint32_t port : controlPorts_)
        lilv_instance_connect_port(instance_, port, &portValues_[port]);
    for (std::uint32_t port : controlOutputs_)
        lilv_instance_connect_port(instance_, port, &portValues_[port]);
    sequence_.assign(512, 0);
    outputSequence_.assign(512, 0);
    for (std::uint32_t port : atomInputs_)
        lilv_instance_connect_port(instance_, port, sequence_.data());
    for (std::uint32_t port : atomOutputs_)
        lilv_instance_connect_port(instance_, port, outputSequence_.data());
    lv2_atom_forge_init(&forge_, &mapFeature_);
    lilv_instance_activate(instance_);
}

void Lv2HostedPlugin::writeSequence(bool withPosition)
{
    lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<std::uint8_t*>(sequence_.data()),
                              sequence_.size() * sizeof(std::uint64_t));
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge_, &sequence, 0);
    if (withPosition)
    {
        lv2_atom_forge_frame_time(&forge_, 0);
        LV2_Atom_Forge_Frame position;
        lv2_atom_forge_object(&forge_, &position, 0, map(LV2_TIME__Position));
        lv2_atom_forge_key(&forge_, map(LV2_TIME__speed));
        lv2_atom_forge_float(&forge_, 1.0f);
        lv2_atom_forge_key(&forge_, map(LV2_TIME__beatsPerMinute));
        lv2_atom_forge_float(&forge_, static_cast<float>(format_.time->beatsPerMinute));
        lv2_atom_forge_key(&forge_, map(LV2_TIME__beat));
        lv2_atom_forge_double(&forge_, format_.time->startBeat);
        lv2_atom_forge_pop(&forge_, &position);
    }
    lv2_atom_forge_pop(&forge_, &sequence);
}

void Lv2HostedPlugin::process(float* const (&in)[2], float* const (&out)[2], std::int32_t frames)
{
    for (int channel = 0; channel < 2; ++channel)
    {
        lilv_instance_connect_port(instance_, audioIn_[channel], in[channel]);
        lilv_instance_connect_port(instance_, audioOut_[channel], out[channel]);
    }
    // The position goes with the first block; the plug-in follows the steady tempo from there.
    writeSequence(first_ && format_.time.has_value());
    first_ = false;
    // An output sequence offers its whole space to the plug-in.
    auto* output = reinterpret_cast<LV2_Atom*>(outputSequence_.data());
    output->size = static_cast<std::uint32_t>(outputSequence_.size() * sizeof(std::uint64_t) -
                                              sizeof(LV2_Atom));
    output->type = map(LV2_ATOM__Chunk);
    lilv_instance_run(instance_, static_cast<std::uint32_t>(frames));
}

void Lv2HostedPlugin::stop()
{
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
    instance_ = nullptr;
}

} // namespace sweepfilter::host
