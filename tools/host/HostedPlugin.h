#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sweepfilter::host
{

// A parameter as its plug-in describes it, in the plug-in's own values: 0 to 1 for the 2.0
// interface, the port's or parameter's units and range for LV2 and CLAP.
struct PluginParameter
{
    std::string name;
    std::string symbol; // the LV2 port symbol; the CLAP id or the 2.0 index as text
    double minimum = 0.0;
    double maximum = 1.0;
    double defaultValue = 0.0;
    std::string unit; // empty when the plug-in names none
};

// The host's transport, rolling at a steady tempo from a position in beats.
struct HostTime
{
    double beatsPerMinute = 120.0;
    double startBeat = 0.0;
};

// How a session runs: the stream's rate, the longest block, the transport if any, and (for
// the 2.0 interface) whether the accumulating process entry is used.
struct SessionFormat
{
    double sampleRate = 44100.0;
    std::int32_t maxFrames = 512;
    std::optional<HostTime> time;
    bool accumulate = false;
};

// A stereo effect of any standard the tool hosts, driven the one way the tool drives them:
// described, set up (program, values), started, processed block by block with values changed
// between blocks (so that a change applies from the very frame a block starts at), stopped.
// Errors of the plug-in throw PluginError.
class HostedPlugin
{
public:
    virtual ~HostedPlugin() = default;

    virtual const char* standard() const = 0; // "2.0", "LV2" or "CLAP"
    virtual std::string identity() const = 0; // the unique id, the URI, the CLAP id
    virtual std::string name() const = 0;
    virtual const std::string& path() const = 0;
    virtual bool followsHostTime() const { return false; }
    virtual bool accumulates() const { return false; }

    const std::vector<PluginParameter>& parameters() const { return parameters_; }
    // The parameter named by its index, symbol or name: case-insensitive, blanks, '-' and '_'
    // ignored ("send_flanger" finds " Send Flanger "). None when there is no such parameter.
    std::optional<std::size_t> findParameter(const std::string& indexOrName) const;
    virtual double value(std::size_t parameter) = 0;
    // The value as the plug-in shows it, with its unit.
    virtual std::string valueText(std::size_t parameter) = 0;
    // The value a text stands for ("hard", "Host", "1000 Hz"), as the plug-in reads it.
    virtual std::optional<double> valueOf(std::size_t parameter, const std::string& text) = 0;

    virtual std::vector<std::string> programs() { return {}; }
    // Before start; the values set afterwards apply over the program.
    virtual void selectProgram(std::int32_t) {}

    // Before start, a value holds from the first frame on; after, from the next block on.
    virtual void set(std::size_t parameter, double value) = 0;
    virtual void start(const SessionFormat& format) = 0;
    virtual void process(float* const (&in)[2], float* const (&out)[2], std::int32_t frames) = 0;
    virtual void stop() = 0;

protected:
    std::vector<PluginParameter> parameters_;
};

// A name as names are compared: lower case, without blanks, '-' and '_'.
std::string comparableName(const std::string& name);

// Opens what `plugin` names: a file ending in .clap is a CLAP module (its first plug-in), a
// folder an LV2 bundle (its first plug-in), a URI such as urn:... or http://... an installed LV2
// plug-in, anything else a library of the 2.0 interface. Throws PluginError.
std::unique_ptr<HostedPlugin> openPlugin(const std::string& plugin);

} // namespace sweepfilter::host
