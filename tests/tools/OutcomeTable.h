#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ToolSupport.h"

namespace sweepfilter::test
{

// One command line and what must come of it: the exit code, a piece of the message on stderr
// (or stdout for successes), and which file, if any, appears in the folder.
struct Outcome
{
    const char* what;
    std::vector<std::string>
        arguments; // {IN}, {OUT}, {FOLDER}, {FAKES}, {SNDFILE}, {CLAP}, {LV2} replaced
    int exitCode;
    const char* message;
    const char* creates = nullptr; // a file name in the folder; nothing else may appear
};

inline std::string sndfileLibrary()
{
    for (const char* candidate :
         {"/usr/lib/x86_64-linux-gnu/libsndfile.so.1", "/usr/lib/i386-linux-gnu/libsndfile.so.1",
          "/usr/lib/libsndfile.so.1"})
        if (std::filesystem::exists(candidate))
            return candidate;
    return "/lib/libsndfile.so.1";
}

inline std::vector<std::string> expandArguments(const std::vector<std::string>& arguments,
                                                const TestFolder& folder)
{
    std::vector<std::string> expanded;
    for (std::string argument : arguments)
    {
        const std::pair<std::string, std::string> replacements[] = {
            {"{IN}", folder / "in.wav"},       {"{OUT}", folder / "out.wav"},
            {"{FOLDER}", folder / ""},         {"{FAKES}", FAKE_PLUGIN_FOLDER},
            {"{CLAP}", SWEEPFILTER_CLAP_PATH},
#ifdef SWEEPFILTER_LV2_BUNDLE
            {"{LV2}", SWEEPFILTER_LV2_BUNDLE},
#endif
            {"{SNDFILE}", sndfileLibrary()}};
        for (const auto& [key, value] : replacements)
            if (auto at = argument.find(key); at != std::string::npos)
                argument.replace(at, key.size(), value);
        expanded.push_back(argument);
    }
    // Render, response and info use the built plug-in unless the case names another.
    const bool hostsPlugin =
        !arguments.empty() &&
        (arguments[0] == "render" || arguments[0] == "response" || arguments[0] == "info");
    if (hostsPlugin && std::find(expanded.begin(), expanded.end(), "--plugin") == expanded.end())
    {
        expanded.push_back("--plugin");
        expanded.push_back(SWEEPFILTER_PLUGIN_PATH);
    }
    return expanded;
}

// Runs every case in the folder (which holds the inputs the cases name) and checks its exit
// code, its message, and that the folder afterwards holds what it held plus at most the one
// file the case creates: no temporary, no partial output.
inline void expectOutcomes(const TestFolder& folder, const std::vector<Outcome>& cases)
{
    const auto filesBefore = folder.files();
    const std::set<std::string> before(filesBefore.begin(), filesBefore.end());
    for (const auto& expected : cases)
    {
        SCOPED_TRACE(expected.what);
        const ToolResult result = runTool(expandArguments(expected.arguments, folder));
        EXPECT_EQ(result.exitCode, expected.exitCode) << result.errors;
        const std::string& text = expected.exitCode == 0 ? result.output : result.errors;
        EXPECT_NE((text + result.errors).find(expected.message), std::string::npos)
            << result.errors;
        const auto filesAfter = folder.files();
        std::set<std::string> after(filesAfter.begin(), filesAfter.end());
        if (expected.creates)
        {
            EXPECT_EQ(after.count(expected.creates), 1u) << expected.creates;
            if (!before.count(expected.creates))
                std::filesystem::remove(folder / expected.creates);
            after.erase(expected.creates);
        }
        EXPECT_EQ(after, before);
    }
}

} // namespace sweepfilter::test
