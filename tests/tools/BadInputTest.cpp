#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "TestSignals.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

struct BadInput
{
    const char* what;
    std::vector<std::string> arguments; // {IN}, {OUT}, {FOLDER} and {FAKES} are replaced
    int exitCode;
    const char* message;
};

const BadInput badInputs[] = {
    {"missing input", {"render", "{FOLDER}/absent.wav", "{OUT}"}, 3, "input file not found"},
    {"corrupt input", {"render", "{FOLDER}/text.wav", "{OUT}"}, 3, "cannot read audio file"},
    {"input is a folder", {"render", "{FOLDER}", "{OUT}"}, 3, "is a folder"},
    {"three channels", {"render", "{FOLDER}/three.wav", "{OUT}"}, 3, "has 3 channels"},
    {"output equals input", {"render", "{IN}", "{IN}"}, 2, "would overwrite the input"},
    {"output folder missing",
     {"render", "{IN}", "{FOLDER}/no/such/out.wav"},
     2,
     "output's folder does not exist"},
    {"unknown parameter name",
     {"render", "{IN}", "{OUT}", "--set", "resonance=0.5"},
     2,
     "unknown parameter 'resonance'"},
    {"unknown parameter index",
     {"render", "{IN}", "{OUT}", "--set", "8=0.5"},
     2,
     "unknown parameter '8'"},
    {"value above 1", {"render", "{IN}", "{OUT}", "--set", "cutoff=1.5"}, 2, "outside 0..1"},
    {"value below 0", {"render", "{IN}", "{OUT}", "--set", "cutoff=-0.1"}, 2, "outside 0..1"},
    {"value not a number", {"render", "{IN}", "{OUT}", "--set", "cutoff=high"}, 2, "not a number"},
    {"setting without value", {"render", "{IN}", "{OUT}", "--set", "cutoff"}, 2, "PARAM=VALUE"},
    {"automation beyond the end",
     {"render", "{IN}", "{OUT}", "--automate", "cutoff@2s=0.5"},
     2,
     "beyond the end"},
    {"automation far beyond any frame",
     {"render", "{IN}", "{OUT}", "--automate", "cutoff@1e15s=0.2"},
     2,
     "beyond the end"},
    {"automation at a 20-digit sample",
     {"render", "{IN}", "{OUT}", "--automate", "cutoff@99999999999999999999smp=0.2"},
     2,
     "beyond the end"},
    {"tail not a number", {"render", "{IN}", "{OUT}", "--tail", "nan"}, 2, "--tail"},
    {"automation time not a time",
     {"render", "{IN}", "{OUT}", "--automate", "cutoff@soon=0.5"},
     2,
     "not a time"},
    {"unknown program",
     {"render", "{IN}", "{OUT}", "--program", "16"},
     2,
     "program 16 does not exist"},
    {"block size zero", {"render", "{IN}", "{OUT}", "--block", "0"}, 2, "--block"},
    {"plug-in missing",
     {"render", "{IN}", "{OUT}", "--plugin", "{FOLDER}/none.so"},
     4,
     "plug-in library not found"},
    {"plug-in not a library",
     {"render", "{IN}", "{OUT}", "--plugin", "{FOLDER}/text.wav"},
     4,
     "cannot load plug-in library"},
    {"plug-in without main",
     {"render", "{IN}", "{OUT}", "--plugin", "{SNDFILE}"},
     4,
     "exports no 'main'"},
    {"plug-in main returns null",
     {"info", "--plugin", "{FAKES}/fake_null_effect.so"},
     4,
     "made no effect"},
    {"plug-in record with wrong magic",
     {"render", "{IN}", "{OUT}", "--plugin", "{FAKES}/fake_wrong_magic.so"},
     4,
     "wrong magic"},
    {"plug-in with one channel",
     {"render", "{IN}", "{OUT}", "--plugin", "{FAKES}/fake_mono_effect.so"},
     4,
     "1 inputs and 1 outputs"},
    {"no subcommand", {}, 2, "subcommand"},
};

std::string sndfileLibrary()
{
    for (const char* candidate :
         {"/usr/lib/x86_64-linux-gnu/libsndfile.so.1", "/usr/lib/libsndfile.so.1"})
        if (std::filesystem::exists(candidate))
            return candidate;
    return "/lib/libsndfile.so.1";
}

TEST(BadInput, EachGivesItsExitCodeAMessageAndNoOutput)
{
    TestFolder folder;
    Audio input{2, 44100, noise(2000, 1)};
    writeAudio(folder / "in.wav", input);
    writeAudio(folder / "three.wav", Audio{3, 44100, noise(3000, 2)});
    std::ofstream(folder / "text.wav") << "this is not audio";
    const auto before = folder.files();

    for (const auto& bad : badInputs)
    {
        std::vector<std::string> arguments;
        for (std::string argument : bad.arguments)
        {
            const std::pair<std::string, std::string> replacements[] = {
                {"{IN}", folder / "in.wav"},
                {"{OUT}", folder / "out.wav"},
                {"{FOLDER}", folder / ""},
                {"{FAKES}", FAKE_PLUGIN_FOLDER},
                {"{SNDFILE}", sndfileLibrary()}};
            for (const auto& [key, value] : replacements)
                if (auto at = argument.find(key); at != std::string::npos)
                    argument.replace(at, key.size(), value);
            arguments.push_back(argument);
        }
        if (bad.arguments.size() > 1 && bad.arguments[0] == "render" &&
            std::find(arguments.begin(), arguments.end(), "--plugin") == arguments.end())
        {
            arguments.push_back("--plugin");
            arguments.push_back(SWEEPFILTER_PLUGIN_PATH);
        }
        const ToolResult result = runTool(arguments);
        SCOPED_TRACE(bad.what);
        EXPECT_EQ(result.exitCode, bad.exitCode) << result.errors;
        EXPECT_NE(result.errors.find(bad.message), std::string::npos) << result.errors;
        auto after = folder.files();
        EXPECT_EQ(std::set(after.begin(), after.end()), std::set(before.begin(), before.end()));
    }
    // The input is untouched by all of it.
    EXPECT_EQ(readAudio(folder / "in.wav").samples, input.samples);
}

} // namespace
} // namespace sweepfilter::test
