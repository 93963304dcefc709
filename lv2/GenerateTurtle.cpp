// Writes the bundle's Turtle files (manifest.ttl, sweepfilter.ttl, presets.ttl) from the one
// description of the controls, so that the adapter and the Turtle cannot disagree.
// Usage: generate_turtle FOLDER URI BINARY MINOR MICRO

#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Controls.h"
#include "Lv2Ports.h"

namespace
{

using namespace sweepfilter;

// A float as a Turtle decimal: the shortest text that reads back as the same float.
std::string decimal(float value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string result(text, end);
    if (result.find_first_of(".e") == std::string::npos)
        result += ".0";
    return result;
}

// A string as a Turtle literal.
std::string literal(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

const char* unitOf(Unit unit)
{
    switch (unit)
    {
    case Unit::hertz:
        return "units:hz";
    case Unit::beatsPerMinute:
        return "units:bpm";
    case Unit::percent:
        return "units:pc";
    case Unit::milliseconds:
        return "units:ms";
    case Unit::frames:
        return "units:frame";
    case Unit::none:
        break;
    }
    return nullptr;
}

struct Preset
{
    const char* fragment;
    const char* label;
    std::map<std::string, float> values; // by symbol; the others keep their defaults
};

// The effect's program 0 and the settings of its demo.
const std::vector<Preset> presets = {
    {"preset-defaults", "Defaults", {}},
    {"preset-soft-sweep",
     "Soft sweep around 2 kHz",
     {{"cutoff", 2032.97f}, {"q_factor", 0.8415f}, {"mod_range", 1080.0f}, {"resolution", 4.0f}}},
    {"preset-hard-resonant-sweep",
     "Hard resonant sweep",
     {{"cutoff", 2538.86f},
      {"q_factor", 0.9405f},
      {"algorithm", 1.0f},
      {"mod_range", 2060.0f},
      {"resolution", 2.0f}}},
    {"preset-hard-static",
     "Hard filter at 1 kHz, strong resonance",
     {{"cutoff", 996.3f}, {"q_factor", 0.891f}, {"algorithm", 1.0f}}},
    {"preset-flanger-send",
     "Flanger send",
     {{"cutoff", 3905.13f},
      {"q_factor", 0.594f},
      {"send_flanger", 70.0f},
      {"flanger_delay", 10.0f}}},
};

const char* const prefixes = R"(@prefix atom:   <http://lv2plug.in/ns/ext/atom#> .
@prefix doap:   <http://usefulinc.com/ns/doap#> .
@prefix foaf:   <http://xmlns.com/foaf/0.1/> .
@prefix lv2:    <http://lv2plug.in/ns/lv2core#> .
@prefix pg:     <http://lv2plug.in/ns/ext/port-groups#> .
@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .
@prefix pset:   <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf:    <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs:   <http://www.w3.org/2000/01/rdf-schema#> .
@prefix time:   <http://lv2plug.in/ns/ext/time#> .
@prefix units:  <http://lv2plug.in/ns/extensions/units#> .
@prefix urid:   <http://lv2plug.in/ns/ext/urid#> .

)";

std::string manifest(const std::string& uri, const std::string& binary)
{
    std::ostringstream out;
    out << prefixes << "<" << uri << ">\n    a lv2:Plugin ;\n    lv2:binary <" << binary
        << "> ;\n    rdfs:seeAlso <sweepfilter.ttl> .\n";
    for (const Preset& preset : presets)
        out << "\n<" << uri << "#" << preset.fragment << ">\n    a pset:Preset ;\n"
            << "    lv2:appliesTo <" << uri << "> ;\n    rdfs:seeAlso <presets.ttl> .\n";
    return out.str();
}

void audioPort(std::ostringstream& out, std::uint32_t index, bool input, bool left,
               const std::string& group)
{
    out << "[\n        a lv2:" << (input ? "InputPort" : "OutputPort") << " , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << (input ? "in_" : "out_") << (left ? "left" : "right")
        << "\" ;\n"
        << "        lv2:name \"" << (input ? "In " : "Out ") << (left ? "left" : "right")
        << "\" ;\n"
        << "        rdfs:comment \"" << (left ? "Left" : "Right") << " channel of the "
        << (input ? "signal to filter" : "filtered signal with the send mixed in") << ".\" ;\n"
        << "        pg:group <" << group << "> ;\n"
        << "        lv2:designation pg:" << (left ? "left" : "right") << "\n    ]";
}

void controlPort(std::ostringstream& out, const std::string& uri, std::uint32_t index,
                 const ControlDescription& d)
{
    out << "[\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << d.symbol << "\" ;\n"
        << "        lv2:name " << literal(d.name) << " ;\n"
        << "        rdfs:comment " << literal(d.comment) << " ;\n"
        << "        pg:group <" << uri << "#" << d.group->symbol << "> ;\n"
        << (d.designation == Designation::enabled ? "        lv2:designation lv2:enabled ;\n" : "")
        << "        lv2:default " << decimal(d.defaultValue) << " ;\n"
        << "        lv2:minimum " << decimal(d.minimum) << " ;\n"
        << "        lv2:maximum " << decimal(d.maximum);
    std::vector<std::string> properties;
    if (d.logarithmic)
        properties.push_back("pprops:logarithmic");
    if (d.toggle)
        properties.push_back("lv2:toggled");
    if (d.integer)
        properties.push_back("lv2:integer");
    if (d.enumeration)
        properties.push_back("lv2:enumeration");
    for (std::size_t i = 0; i < properties.size(); ++i)
        out << (i == 0 ? " ;\n        lv2:portProperty " : " , ") << properties[i];
    if (const char* unit = unitOf(d.unit))
        out << " ;\n        units:unit " << unit;
    for (std::size_t i = 0; i < d.scalePoints.size(); ++i)
        out << (i == 0 ? " ;\n        lv2:scalePoint " : " ,\n            ") << "[ rdfs:label "
            << literal(d.scalePoints[i].label) << " ; rdf:value " << decimal(d.scalePoints[i].value)
            << " ]";
    out << "\n    ]";
}

std::string plugin(const std::string& uri, const std::string& minor, const std::string& micro)
{
    std::ostringstream out;
    out << prefixes << "<" << uri << "#project>\n    a doap:Project ;\n"
        << "    doap:name \"sweepfilter\" ;\n"
        << "    doap:license <http://opensource.org/licenses/MIT> ;\n"
        << "    doap:maintainer [ a foaf:Person ; foaf:name \"The sweepfilter developers\" ] .\n\n";
    for (const char* stereo : {"in", "out"})
        out << "<" << uri << "#" << stereo
            << ">\n    a pg:StereoGroup , pg:" << (stereo[0] == 'i' ? "InputGroup" : "OutputGroup")
            << " ;\n"
            << "    lv2:symbol \"" << stereo << "\" ;\n"
            << "    rdfs:label \"" << (stereo[0] == 'i' ? "Input" : "Output") << "\" .\n\n";
    for (const ControlGroup& group : controlGroups())
        out << "<" << uri << "#" << group.symbol << ">\n    a pg:Group ;\n"
            << "    lv2:symbol \"" << group.symbol << "\" ;\n"
            << "    rdfs:label " << literal(group.name) << " .\n\n";
    out << "<" << uri << ">\n    a lv2:Plugin , lv2:LowpassPlugin ;\n"
        << "    doap:name \"sweepfilter\" ;\n"
        << "    doap:shortdesc \"Resonant low-pass with a tempo-synced sweep and a flanger send\" "
           ";\n"
        << "    doap:license <http://opensource.org/licenses/MIT> ;\n"
        << "    lv2:project <" << uri << "#project> ;\n"
        << "    rdfs:comment \"A resonant low-pass filter with two algorithms (soft: a "
           "second-order "
           "low-pass; hard: a two-pole low-pass with resonant feedback), a sine sweep of the "
           "cutoff on a tempo or on the host's beat, and a send of the delayed dry signal. "
           "Modern behaviour keeps Hz and BPM true at every rate; Classic gives the 2.0 "
           "plug-in's exact sound.\" ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    pg:mainInput <" << uri << "#in> ;\n"
        << "    pg:mainOutput <" << uri << "#out> ;\n"
        << "    lv2:minorVersion " << minor << " ;\n"
        << "    lv2:microVersion " << micro << " ;\n"
        << "    lv2:port ";
    using namespace sweepfilter::lv2;
    audioPort(out, inputLeft, true, true, uri + "#in");
    out << " , ";
    audioPort(out, inputRight, true, false, uri + "#in");
    out << " , ";
    audioPort(out, outputLeft, false, true, uri + "#out");
    out << " , ";
    audioPort(out, outputRight, false, false, uri + "#out");
    for (std::uint32_t k = 0; k < controlsBeforeTime; ++k)
    {
        out << " , ";
        controlPort(out, uri, portOf(static_cast<Control>(k)), describe(static_cast<Control>(k)));
    }
    out << " , [\n        a lv2:InputPort , atom:AtomPort ;\n"
        << "        lv2:index " << timePort << " ;\n"
        << "        lv2:symbol \"control\" ;\n"
        << "        lv2:name \"Control\" ;\n"
        << "        rdfs:comment \"The host's transport (time:Position), for Sync Host.\" ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:portProperty lv2:connectionOptional\n    ]";
    for (auto k = static_cast<std::uint32_t>(controlsBeforeTime); k < controlCount; ++k)
    {
        out << " , ";
        controlPort(out, uri, portOf(static_cast<Control>(k)), describe(static_cast<Control>(k)));
    }
    out << " .\n";
    return out.str();
}

std::string presetFile(const std::string& uri)
{
    std::ostringstream out;
    out << prefixes;
    for (const Preset& preset : presets)
    {
        out << "<" << uri << "#" << preset.fragment << ">\n    a pset:Preset ;\n"
            << "    lv2:appliesTo <" << uri << "> ;\n"
            << "    rdfs:label " << literal(preset.label) << " ;\n    lv2:port ";
        for (int k = 0; k < controlCount; ++k)
        {
            const ControlDescription& d = describe(static_cast<Control>(k));
            const auto found = preset.values.find(d.symbol);
            const float value = found == preset.values.end() ? d.defaultValue : found->second;
            out << (k == 0 ? "" : " ,\n        ") << "[ lv2:symbol \"" << d.symbol
                << "\" ; pset:value " << decimal(value) << " ]";
        }
        out << " .\n\n";
    }
    return out.str();
}

bool write(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        std::fprintf(stderr, "generate_turtle: cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6)
    {
        std::fprintf(stderr, "usage: generate_turtle FOLDER URI BINARY MINOR MICRO\n");
        return 2;
    }
    const std::string folder = argv[1], uri = argv[2];
    const bool written = write(folder + "/manifest.ttl", manifest(uri, argv[3])) &&
                         write(folder + "/sweepfilter.ttl", plugin(uri, argv[4], argv[5])) &&
                         write(folder + "/presets.ttl", presetFile(uri));
    return written ? 0 : 1;
}
