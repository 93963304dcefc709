#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

// The long options a help text names ("--set", "--zero-non-finite").
std::vector<std::string> longOptions(const std::string& help)
{
    std::vector<std::string> options;
    for (std::size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at + 2))
    {
        std::size_t end = at + 2;
        while (end < help.size() && (std::islower(static_cast<unsigned char>(help[end])) ||
                                     (help[end] == '-' && end > at + 2)))
            ++end;
        if (end > at + 2)
            options.push_back(help.substr(at, end - at));
    }
    return options;
}

// The manual page is written by hand, so it must keep up with the options the tool offers.
TEST(ManualPage, NamesEveryOptionOfEveryCommand)
{
    std::string page;
    for (const char c : readText(SWEEPFILTER_MANUAL_PAGE))
        if (c != '\\') // troff writes a minus as \-
            page += c;
    for (const char* command : {"info", "render", "response", "spectrogram", "demo"})
    {
        EXPECT_NE(page.find(std::string(".B ") + command), std::string::npos) << command;
        const ToolResult help = runTool({command, "--help"});
        ASSERT_EQ(help.exitCode, 0) << help.errors;
        for (const std::string& option : longOptions(help.output))
            if (option != "--help")
            {
                EXPECT_NE(page.find(option), std::string::npos) << command << " " << option;
            }
    }
}

} // namespace
} // namespace sweepfilter::test
