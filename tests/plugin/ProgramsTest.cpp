#include <gtest/gtest.h>

#include <string>

#include "PluginHost.h"

namespace sweepfilter::test
{
namespace
{

struct ProgramsTest : ::testing::Test
{
    PluginLibrary library;
    HostedEffect effect{library};
};

TEST_F(ProgramsTest, EditsSurviveSwitchingExceptOnProgramZero)
{
    effect.setParameter(0, 0.25f); // an edit to program 0
    effect.setProgram(3);
    EXPECT_EQ(effect.program(), 3);
    EXPECT_EQ(effect.getParameter(0), 1.0f); // a fresh program holds the defaults
    effect.setParameter(0, 0.4f);
    effect.setParameter(2, 1.0f);
    effect.setProgram(0);
    EXPECT_EQ(effect.getParameter(0), 1.0f); // program 0 is back at the defaults
    EXPECT_EQ(effect.parameterDisplay(2), "soft");
    effect.setProgram(3);
    EXPECT_EQ(effect.getParameter(0), 0.4f);
    EXPECT_EQ(effect.getParameter(2), 1.0f);
    EXPECT_EQ(effect.parameterDisplay(2), "hard");
    for (std::int32_t outside : {16, -1})
    {
        effect.setProgram(outside);
        EXPECT_EQ(effect.program(), 3);
    }
}

TEST_F(ProgramsTest, NamesComeBackAsTheHostSetThem)
{
    const std::pair<int, const char*> initNames[] = {{1, "Init 1"}, {5, "Init 5"}, {15, "Init 15"}};
    for (auto [program, name] : initNames)
    {
        effect.setProgram(program);
        EXPECT_EQ(effect.programName(), name);
    }
    effect.setProgram(7);
    effect.setProgramName("Wobble bass");
    effect.setProgram(8);
    effect.setProgramName("Init");
    EXPECT_EQ(effect.programName(), "Init 8");
    effect.setProgram(7);
    EXPECT_EQ(effect.programName(), "Wobble bass");
    // A name longer than a program holds is cut to 23 characters.
    effect.setProgramName("A name that is far too long for a program");
    EXPECT_EQ(effect.programName(), "A name that is far too ");
    effect.setProgramName("");
    EXPECT_EQ(effect.programName(), "");
    // Program 0 is always the default program, whatever the host called it.
    effect.setProgram(0);
    effect.setProgramName("Mine");
    EXPECT_EQ(effect.programName(), "--- Default ---");
}

} // namespace
} // namespace sweepfilter::test
