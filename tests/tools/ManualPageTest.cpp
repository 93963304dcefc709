#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

// The manual page is written by hand, so it must keep up with the options the tool offers.
TEST(ManualPage, NamesEveryOptionOfEveryCommand)
{
    std::string page = readText(SWEEPFILTER_MANUAL_PAGE);
    page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
    for (const char* command : {"info", "render", "response", "spectrogram", "demo"})
    {
        EXPECT_NE(page.find(std::string(".B ") + command), std::string::npos) << command;
        const ToolResult help = runTool({command, "--help"});
        ASSERT_EQ(help.exitCode, 0) << help.errors;
        const std::regex option(R"(--[a-z][a-z-]*)");
        for (std::sregex_iterator found(help.output.begin(), help.output.end(), option), end;
             found != end; ++found)
        {
            if (found->str() != "--help")
            {
                EXPECT_NE(page.find(found->str()), std::string::npos)
                    << command << " " << found->str();
            }
        }
    }
}

} // namespace
} // namespace sweepfilter::test
