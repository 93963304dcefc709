#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "PluginHost.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

TEST(InfoCommand, JsonMatchesWhatTheRecordReports)
{
    const ToolResult result = runTool({"info", "--json", "--plugin", SWEEPFILTER_PLUGIN_PATH});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    const auto info = nlohmann::json::parse(result.output);

    PluginLibrary library;
    HostedEffect effect(library);
    const EffectRecord& record = effect.record();
    EXPECT_EQ(info["uniqueId"], "ZF17");
    EXPECT_EQ(info["inputs"], record.numInputs);
    EXPECT_EQ(info["outputs"], record.numOutputs);
    EXPECT_EQ(info["flags"], record.flags);
    EXPECT_EQ(info["flagNames"], (nlohmann::json{"can mono", "can replace"}));
    ASSERT_EQ(info["programs"].size(), static_cast<std::size_t>(record.numPrograms));
    EXPECT_EQ(info["programs"][0], "--- Default ---");
    EXPECT_EQ(info["programs"][15], "Init 15");
    ASSERT_EQ(info["parameters"].size(), static_cast<std::size_t>(record.numParameters));
    for (std::int32_t i = 0; i < record.numParameters; ++i)
    {
        const auto& parameter = info["parameters"][static_cast<std::size_t>(i)];
        EXPECT_EQ(parameter["index"], i);
        EXPECT_EQ(parameter["name"], effect.parameterName(i));
        EXPECT_EQ(parameter["label"], effect.parameterLabel(i));
        EXPECT_EQ(parameter["display"], effect.parameterDisplay(i));
        EXPECT_EQ(parameter["value"].get<float>(), effect.getParameter(i));
    }
}

TEST(InfoCommand, TextShowsTheSameFacts)
{
    const ToolResult result = runTool({"info", "--plugin", SWEEPFILTER_PLUGIN_PATH});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    for (const char* expected :
         {"unique id   ZF17", "inputs      2", "outputs     2",
          "flags       24 (can mono, can replace)", "programs    16", " 0  --- Default ---",
          "15  Init 15", "parameters  8", "\" Cutoff \"", "\"20000\"", "\"   Hz   \"",
          "\" Flanger Delay \""})
        EXPECT_NE(result.output.find(expected), std::string::npos) << expected << "\n"
                                                                   << result.output;
}

// A bare --plugin name is the file in the current folder, even where the system has a library
// of that name: here a copy of the plug-in called libz.so.1.
TEST(InfoCommand, ABarePluginNameIsTheFileInTheCurrentFolder)
{
    TestFolder folder;
    std::filesystem::copy_file(SWEEPFILTER_PLUGIN_PATH, folder / "libz.so.1");
    const std::string command = "cd " + quoted(folder / "") + " && " +
                                quoted(SWEEPFILTER_TOOL_PATH) + " info --plugin libz.so.1 >" +
                                quoted(folder / "out") + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readText(folder / "out");
    EXPECT_NE(readText(folder / "out").find("unique id   ZF17"), std::string::npos)
        << readText(folder / "out");
}

// A plug-in that names things only once opened, one name not UTF-8: info opens it as a host
// does, and JSON shows the odd bytes as U+FFFD rather than failing.
TEST(InfoCommand, OpensTheEffectAndEscapesAnyBytes)
{
    const std::string fake = FAKE_PLUGIN_FOLDER "/fake_texts_on_open.so";
    const ToolResult text = runTool({"info", "--plugin", fake});
    ASSERT_EQ(text.exitCode, 0) << text.errors;
    EXPECT_NE(text.output.find("Opened"), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("\"Gain \xff\xfe\""), std::string::npos) << text.output;

    const ToolResult json = runTool({"info", "--json", "--plugin", fake});
    ASSERT_EQ(json.exitCode, 0) << json.errors;
    const auto info = nlohmann::json::parse(json.output);
    EXPECT_EQ(info["programs"][0], "Opened");
    EXPECT_EQ(info["parameters"][0]["name"], "Gain \xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(info["parameters"][3]["name"], "P3");
}

// The response holds a sweep and a send off by their names; another plug-in's parameters of
// the same indices are left alone (this one would fall silent with its parameter 3 at zero).
TEST(ResponseCommand, LeavesAnotherPluginsParametersAlone)
{
    TestFolder folder;
    const ToolResult result = runTool({"response", "--csv", folder / "r.csv", "--plugin",
                                       FAKE_PLUGIN_FOLDER "/fake_texts_on_open.so"});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    std::istringstream rows(readText(folder / "r.csv"));
    std::string row;
    std::getline(rows, row); // the heading
    int count = 0;
    while (std::getline(rows, row))
    {
        double hz = 0, left = 0, right = 0;
        ASSERT_EQ(std::sscanf(row.c_str(), "%lf,%lf,%lf", &hz, &left, &right), 3) << row;
        EXPECT_NEAR(left, 0.0, 1e-6) << row;
        EXPECT_NEAR(right, 0.0, 1e-6) << row;
        ++count;
    }
    EXPECT_GT(count, 100);
}

} // namespace
} // namespace sweepfilter::test
