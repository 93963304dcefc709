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
TEST(ClapHosts, EventsEqualTheToolsAutomation)
{
    TestFolder folder;
    const StereoSignal signal = clapTestSignal(8192);
    Audio input;
    for (std::size_t i = 0; i < signal.frames(); ++i)
        input.samples.insert(input.samples.end(), {signal.left[i] * 0.1f, signal.right[i] * 0.1f});
    writeAudio(folder / "in.wav", input);
    const std::size_t k = 2900;
    char automate[64];
    std::snprintf(automate, sizeof automate, "cutoff@%zusmp=%.9g", k,
                  double{*effectValue(Control::cutoffHz, 700.0f)});
    const ToolResult render =
        runTool({"render", folder / "in.wav", folder / "out.wav", "-q", "--automate", automate});
    ASSERT_EQ(render.exitCode, 0) << render.errors;
    const Audio tool = readAudio(folder / "out.wav");

    const Audio scaled = readAudio(folder / "in.wav");
    const StereoSignal in(scaled.channel(0), scaled.channel(1));
    ClapInstance instance(clapModule());
    instance.activate(44100.0);
    const StereoSignal out =
        renderClap(instance, in, 1024, [&](std::size_t frame, ClapEventList& list) {
            if (frame <= k && k < frame + 1024)
                list.addParameter(static_cast<std::uint32_t>(k - frame), idOf(Control::cutoffHz),
                                  700.0);
        });
    ASSERT_EQ(tool.frames(), out.frames());
    EXPECT_EQ(std::memcmp(tool.channel(0).data(), out.left.data(), out.frames() * 4), 0);
    EXPECT_EQ(std::memcmp(tool.channel(1).data(), out.right.data(), out.frames() * 4), 0);
}

} // namespace
} // namespace sweepfilter::test
