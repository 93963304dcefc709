#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Controls.h"
#include "TestSignals.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

constexpr const char* uri = "urn:sweepfilter:lv2";
const std::string bundle = SWEEPFILTER_LV2_BUNDLE;
const char* const symbols[] = {"cutoff", "q_factor",   "algorithm",    "mod_range",
                               "tempo",  "resolution", "send_flanger", "flanger_delay"};
const char* const names[] = {"cutoff", "q factor",   "algorithm",    "mod range",
                             "tempo",  "resolution", "send flanger", "flanger delay"};

// Runs an LV2 host with the bundle's folder as its LV2 path.
ToolResult runHost(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"env", "LV2_PATH=" + std::string(SWEEPFILTER_LV2_PATH)});
    return runCommand(arguments);
}

TEST(Lv2Bundle, TurtleParsesAndValidates)
{
    const std::vector<std::string> files = {bundle + "/manifest.ttl", bundle + "/sweepfilter.ttl",
                                            bundle + "/presets.ttl"};
    for (const auto& file : files)
        EXPECT_EQ(runCommand({"serdi", "-q", "-i", "turtle", "-o", "ntriples", file}).exitCode, 0)
            << file;
    // lv2_validate exits 0 on some errors: its summary line is what counts.
    std::vector<std::string> validate = {"lv2_validate"};
    validate.insert(validate.end(), files.begin(), files.end());
    const ToolResult result = runCommand(validate);
    EXPECT_NE((result.output + result.errors).find("Found 0 errors"), std::string::npos)
        << result.output << result.errors;
}

TEST(Lv2Bundle, HostsListThePluginWithItsPortsUnitsAndPresets)
{
    EXPECT_NE(runHost({"lv2ls"}).output.find(uri), std::string::npos);
    const std::string info = runHost({"lv2info", uri}).output;
    for (const char* symbol : symbols)
        EXPECT_NE(info.find(std::string("Symbol:      ") + symbol), std::string::npos) << symbol;
    for (const char* expected :
         {"Default:     20000.000000", "Maximum:     96.000000", "port-props#logarithmic",
          "lv2core#enumeration", "hardRTCapable", "urid#map", "Defaults", "Soft sweep around 2 kHz",
          "Hard resonant sweep", "Hard filter at 1 kHz, strong resonance", "Flanger send",
          "Symbol:      behaviour", "Symbol:      sync", "Symbol:      control",
          "Symbol:      smoothing", "Symbol:      enabled", "atom#AtomPort", "port-groups#left",
          "Author:            The sweepfilter developers"})
        EXPECT_NE(info.find(expected), std::string::npos) << expected;
    // This lv2info prints neither units nor comments; the parsed description holds them: a
    // comment on every port and the plug-in, the licence and the project.
    const std::string triples =
        runCommand({"serdi", "-q", "-i", "turtle", "-o", "ntriples", bundle + "/sweepfilter.ttl"})
            .output;
    for (const char* expected :
         {"units#hz>", "units#bpm>", "units#pc>", "units#frame>", "licenses/MIT>",
          "lv2core#project>", "doap#shortdesc>", "lv2core#minorVersion> \"4\"", "units#ms>",
          "lv2core#enabled>", "lv2core#toggled>", "port-groups#mainInput>",
          "port-groups#mainOutput>", "time#Position>", "lv2core#connectionOptional>"})
        EXPECT_NE(triples.find(expected), std::string::npos) << expected;
    std::size_t comments = 0;
    for (std::size_t at = 0; (at = triples.find("rdf-schema#comment>", at)) != std::string::npos;
         ++at)
        ++comments;
    EXPECT_EQ(comments, 18u); // the plug-in's and its seventeen ports'
}

// Installing puts the bundle into the prefix's lib/lv2, where hosts find it.
TEST(Lv2Bundle, InstallingPutsItWhereHostsLook)
{
    TestFolder prefix;
    const ToolResult install = runCommand(
        {SWEEPFILTER_CMAKE, "--install", SWEEPFILTER_BUILD_FOLDER, "--prefix", prefix / ""});
    ASSERT_EQ(install.exitCode, 0) << install.output << install.errors;
    const ToolResult list = runCommand({"env", "LV2_PATH=" + (prefix / "lib/lv2"), "lv2ls"});
    EXPECT_NE(list.output.find(uri), std::string::npos) << list.output << list.errors;
}

TEST(Lv2Bundle, TheLibraryExportsOnlyItsDescriptor)
{
    const ToolResult symbolsOut =
        runCommand({"nm", "-D", "--defined-only", bundle + "/sweepfilter.so"});
    ASSERT_EQ(symbolsOut.exitCode, 0);
    EXPECT_NE(symbolsOut.output.find(" T lv2_descriptor\n"), std::string::npos)
        << symbolsOut.output;
    EXPECT_EQ(symbolsOut.output.find('\n'), symbolsOut.output.rfind('\n')) << symbolsOut.output;
}

struct Setting
{
    const char* what;
    std::vector<std::pair<int, float>> ports; // control port, value in the port's units
};

// The command-line tool's render with the 0..1 values the adapter's conversion gives.
std::string referenceRender(const TestFolder& folder, const std::string& input,
                            const Setting& setting)
{
    const std::string output = folder / (std::string("reference-") + setting.what + ".wav");
    std::vector<std::string> arguments = {"render", input, output, "-q"};
    for (auto [port, value] : setting.ports)
    {
        const auto converted = effectValue(static_cast<Control>(port), value);
        arguments.push_back("--set");
        char text[64];
        std::snprintf(text, sizeof text, "%s=%.9g", names[port], double{converted.value()});
        arguments.push_back(text);
    }
    const ToolResult result = runTool(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    float peak = 0.0f;
    for (float sample : readAudio(output).samples)
        peak = std::max(peak, std::fabs(sample));
    EXPECT_GT(peak, 0.001f) << setting.what << ": nothing to compare";
    EXPECT_LT(peak, 1.0f) << setting.what << ": the hosts that clip would differ";
    return output;
}

void expectSameSamples(const std::string& actual, const std::string& expected,
                       const std::string& what)
{
    const Audio a = readAudio(actual), b = readAudio(expected);
    ASSERT_EQ(a.channels, 2) << what;
    ASSERT_EQ(a.samples.size(), b.samples.size()) << what;
    for (std::size_t i = 0; i < a.samples.size(); ++i)
        ASSERT_EQ(std::memcmp(&a.samples[i], &b.samples[i], sizeof(float)), 0)
            << what << ": not the same bits as sweepfilter render from frame " << i / 2
            << " (channel " << i % 2 << "): " << a.samples[i] << " against " << b.samples[i];
}

// Two third-party hosts render the bundle to the very bits the command-line tool renders
// through the 2.0 plug-in, at the defaults and with the sweep, the hard filter and the send,
// at every block size the hosts allow: at 44.1 kHz in the default (Modern) behaviour, and at
// 48 kHz with Behaviour Classic, which keeps the 2.0 plug-in's tuning at any rate. The tool
// hosting the bundle itself gives the same bits, and at 48 kHz in Modern the bits lv2apply gives.
TEST(Lv2Bundle, ThirdPartyHostsRenderTheSameBitsAsTheTool)
{
    const Setting settings[] = {
        {"defaults", {}},
        {"soft-sweep", {{0, 2000.0f}, {1, 0.85f}, {3, 1080.0f}, {4, 150.0f}, {5, 2.0f}}},
        {"hard", {{0, 996.3f}, {1, 0.891f}, {2, 1.0f}}},
        {"hard-sweep-send",
         {{0, 2538.86f}, {2, 1.0f}, {3, 2060.0f}, {5, 1.0f}, {6, 70.0f}, {7, 10.0f}}},
    };
    for (const int rate : {44100, 48000})
    {
        TestFolder folder;
        const std::string input = folder / "input.wav";
        Audio signal;
        signal.sampleRate = rate;
        const std::size_t frames = 44100;
        const auto left = chord(frames), right = noise(frames, 11);
        // Quiet enough that no setting's output reaches full scale: the hosts clip there.
        for (std::size_t i = 0; i < frames; ++i)
        {
            signal.samples.push_back(left[i] * 0.05f);
            signal.samples.push_back(right[i] * 0.03f);
        }
        writeAudio(input, signal);
        const bool classic = rate != 44100;
        for (const Setting& setting : settings)
        {
            const std::string what = std::string(setting.what) + "-" + std::to_string(rate);
            const std::string reference = referenceRender(folder, input, setting);
            std::vector<std::string> apply = {"lv2apply", "-i", input},
                                     file = {"lv2file", "-i", input};
            if (classic)
            {
                apply.insert(apply.end(), {"-c", "behaviour", "1"});
                file.insert(file.end(), {"-p", "behaviour:1"});
            }
            for (auto [port, value] : setting.ports)
            {
                const std::string text = std::to_string(value);
                apply.insert(apply.end(), {"-c", symbols[port], text});
                file.insert(file.end(), {"-p", std::string(symbols[port]) + ":" + text});
            }
            const auto render = [&](std::vector<std::string> command, const std::string& name) {
                const std::string output = folder / (name + "-" + what + ".wav");
                command.insert(command.end(), {"-o", output, uri});
                const ToolResult result = runHost(command);
                ASSERT_EQ(result.exitCode, 0) << name << ": " << result.errors;
                expectSameSamples(output, reference, name + " " + what);
            };
            render(apply, "lv2apply");
            const auto toolRender = [&](bool asClassic, const std::string& name) {
                const std::string output = folder / (name + "-" + what + ".wav");
                std::vector<std::string> arguments = {"render", input,      output,
                                                      "-q",     "--plugin", SWEEPFILTER_LV2_BUNDLE};
                if (asClassic)
                    arguments.insert(arguments.end(), {"--set", "behaviour=Classic"});
                for (auto [port, value] : setting.ports)
                    arguments.insert(arguments.end(),
                                     {"--set", symbols[port] + ("=" + std::to_string(value))});
                const ToolResult result = runTool(arguments);
                EXPECT_EQ(result.exitCode, 0) << name << ": " << result.errors;
                return output;
            };
            expectSameSamples(toolRender(classic, "tool"), reference, "the tool " + what);
            if (classic)
            {
                auto modern = apply;
                const std::string applied = folder / ("lv2apply-modern-" + what + ".wav");
                modern.erase(modern.begin() + 3, modern.begin() + 6);
                modern.insert(modern.end(), {"-o", applied, uri});
                ASSERT_EQ(runHost(modern).exitCode, 0);
                expectSameSamples(toolRender(false, "tool-modern"), applied,
                                  "the tool in Modern " + what);
            }
            for (const char* block : {"1", "32", "1024", "4096"})
            {
                auto withBlock = file;
                withBlock.insert(withBlock.begin() + 1, {"-b", block});
                render(withBlock, std::string("lv2file-b") + block);
            }
        }
    }
}

// The library needs nothing beyond the C and C++ runtimes, so it loads wherever a host runs.
TEST(Lv2Bundle, TheLibraryLinksOnlyTheRuntimes)
{
    const ToolResult dynamic = runCommand({"readelf", "-d", bundle + "/sweepfilter.so"});
    ASSERT_EQ(dynamic.exitCode, 0);
    std::istringstream lines(dynamic.output);
    int needed = 0;
    for (std::string line; std::getline(lines, line);)
    {
        const auto open = line.find("Shared library: ["), close = line.rfind(']');
        if (open == std::string::npos)
            continue;
        const std::string library = line.substr(open + 17, close - open - 17);
        EXPECT_TRUE(library == "libc.so.6" || library == "libm.so.6" ||
                    library == "libgcc_s.so.1" || library == "libstdc++.so.6")
            << library;
        ++needed;
    }
    EXPECT_GE(needed, 1);
}

} // namespace
} // namespace sweepfilter::test
