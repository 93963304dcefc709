#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "ClapTestSupport.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

const std::string module = SWEEPFILTER_CLAP_PATH;

// Qtractor's plug-in scanner, run headless as Qtractor runs it, lists the plug-in with its
// name, its stereo ports, its parameters and its state.
TEST(ClapHosts, QtractorsScannerListsThePlugin)
{
    const ToolResult scan = runCommand(
        {"sh", "-c",
         "printf 'CLAP:%s\\n' " + quoted(module) + " | " + quoted(SWEEPFILTER_QTRACTOR_SCAN)});
    ASSERT_EQ(scan.exitCode, 0) << scan.errors;
    std::printf("%s", scan.output.c_str());
    const std::string expected = "CLAP|sweepfilter|2:2|0:0|12:0|EXT,RT|" + module + "|0|0x";
    EXPECT_EQ(scan.output.substr(0, expected.size()), expected) << scan.output << scan.errors;
    EXPECT_EQ(scan.output.find('\n'), scan.output.size() - 1) << "one line";
}

// The module exports `clap_entry` alone and needs nothing beyond the C and C++ runtimes.
TEST(ClapHosts, TheModuleExportsItsEntryAndLinksOnlyTheRuntimes)
{
    const ToolResult symbols = runCommand({"nm", "-D", "--defined-only", module});
    ASSERT_EQ(symbols.exitCode, 0);
    EXPECT_NE(symbols.output.find(" D clap_entry\n"), std::string::npos) << symbols.output;
    EXPECT_EQ(symbols.output.find('\n'), symbols.output.rfind('\n')) << symbols.output;
    std::istringstream lines(runCommand({"readelf", "-d", module}).output);
    for (std::string line; std::getline(lines, line);)
        if (const auto open = line.find("Shared library: ["); open != std::string::npos)
        {
            const std::string library = line.substr(open + 17, line.rfind(']') - open - 17);
            EXPECT_TRUE(library == "libc.so.6" || library == "libm.so.6" ||
                        library == "libgcc_s.so.1" || library == "libstdc++.so.6")
                << library;
        }
}

// Installing puts the module into the prefix's lib/clap, where CLAP hosts look.
TEST(ClapHosts, InstallingPutsItWhereHostsLook)
{
    TestFolder prefix;
    const ToolResult install = runCommand(
        {SWEEPFILTER_CMAKE, "--install", SWEEPFILTER_BUILD_FOLDER, "--prefix", prefix / ""});
    ASSERT_EQ(install.exitCode, 0) << install.output << install.errors;
    EXPECT_NO_THROW(ClapLibrary(prefix / "lib/clap/sweepfilter.clap"));
}

// A parameter event at sample k gives the bits of `sweepfilter render --automate` changing
// the 2.0 plug-in's parameter at that sample.
// The tool drives every standard the way their hosts do: the same values, automation and host
// time through the 2.0 module, the LV2 bundle and the CLAP module give the bits the project's
// CLAP host gets with events at the frame and a transport with every block.
TEST(ClapHosts, EveryStandardThroughTheToolEqualsTheClapHost)
{
    TestFolder folder;
    const StereoSignal signal = clapTestSignal(8192);
    Audio input;
    for (std::size_t i = 0; i < signal.frames(); ++i)
        input.samples.insert(input.samples.end(), {signal.left[i] * 0.1f, signal.right[i] * 0.1f});
    writeAudio(folder / "in.wav", input);
    const Audio scaled = readAudio(folder / "in.wav");
    const StereoSignal in(scaled.channel(0), scaled.channel(1));
    const std::size_t k = 2900;
    char normalised[64];
    std::snprintf(normalised, sizeof normalised, "cutoff@%zusmp=%.9g", k,
                  double{*effectValue(Control::cutoffHz, 700.0f)});
    const std::string inHertz = "cutoff@" + std::to_string(k) + "smp=700";
    const std::vector<std::string> synced = {
        "--set",   "sync=Host", "--set",  "mod range=800", "--set",      "resolution=4",
        "--tempo", "100",       "--beat", "1.5",           "--automate", inHertz};

    const auto expected = [&](bool hostTime) {
        ClapInstance instance(clapModule());
        if (hostTime)
        {
            ClapEventList values;
            values.addParameter(0, idOf(Control::sync), 1.0);
            values.addParameter(0, idOf(Control::modRangeHz), 800.0);
            values.addParameter(0, idOf(Control::resolution), 4.0);
            instance.flush(values);
        }
        instance.activate(44100.0);
        ClapTransport transport;
        transport.beatsPerMinute = 100.0;
        return renderClap(
            instance, in, 512,
            [&](std::size_t frame, ClapEventList& list) {
                if (frame <= k && k < frame + 512)
                    list.addParameter(static_cast<std::uint32_t>(k - frame),
                                      idOf(Control::cutoffHz), 700.0);
            },
            [&](std::size_t frame) -> const ClapTransport* {
                transport.beats = 1.5 + static_cast<double>(frame) / 44100.0 * 100.0 / 60.0;
                return hostTime ? &transport : nullptr;
            });
    };
    const StereoSignal automated = expected(false), hostSynced = expected(true);
    const std::vector<std::string> plain = {"--automate", inHertz};

    struct Case
    {
        const char* name;
        std::string plugin;
        std::vector<std::string> options;
        const StereoSignal& expected;
    };
    std::vector<Case> cases = {
        {"2.0 module", SWEEPFILTER_PLUGIN_PATH, {"--automate", normalised}, automated},
        {"CLAP module", module, plain, automated},
        {"CLAP module, host time", module, synced, hostSynced},
    };
#ifdef SWEEPFILTER_LV2_BUNDLE
    cases.push_back({"LV2 bundle", SWEEPFILTER_LV2_BUNDLE, plain, automated});
    cases.push_back({"LV2 bundle, host time", SWEEPFILTER_LV2_BUNDLE, synced, hostSynced});
#endif
    for (const auto& c : cases)
    {
        std::vector<std::string> arguments = {"render", folder / "in.wav", folder / "out.wav",
                                              "-q",     "--plugin",        c.plugin};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ToolResult render = runTool(arguments);
        ASSERT_EQ(render.exitCode, 0) << c.name << ": " << render.errors;
        const Audio tool = readAudio(folder / "out.wav");
        EXPECT_TRUE(sameBits(StereoSignal(tool.channel(0), tool.channel(1)), c.expected)) << c.name;
    }
    EXPECT_FALSE(sameBits(automated, hostSynced));
}

} // namespace
} // namespace sweepfilter::test
