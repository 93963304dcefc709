#include <gtest/gtest.h>

#include <array>
#include <string>

#include "PluginHost.h"

namespace sweepfilter::test
{
namespace
{

struct NewEffectTest : ::testing::Test
{
    PluginLibrary library;
    HostedEffect effect{library};
};

TEST_F(NewEffectTest, RecordDescribesTheEffect)
{
    const EffectRecord* record = &effect.record();
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->numPrograms, 16);
    EXPECT_EQ(record->numParameters, 8);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 24);            // can mono, can replace
    EXPECT_EQ(record->uniqueId, 0x5A463137); // 'ZF17'
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(effect.program(), 0);
    EXPECT_EQ(effect.programName(), "--- Default ---");
}

TEST_F(NewEffectTest, ShowsTheDefaultTexts)
{
    struct Texts
    {
        const char* name;
        const char* label;
        const char* display;
        float value;
    };
    const std::array<Texts, 8> expected = {{
        {" Cutoff ", "   Hz   ", "20000", 1.0f},
        {" Q Factor ", "       ", "0.742500", 0.75f},
        {" Algorithm ", " Q factor ", "soft", 0.0f},
        {"  Mod Range ", "   Hz   ", "off", 0.0f},
        {"    Tempo   ", "   BPM  ", "120", 0.4286f},
        {" Resolution ", "   note(s)  ", "64", 0.8462f},
        {" Send Flanger ", "   %   ", "0", 0.0f},
        {" Flanger Delay ", "   %   ", "20", 0.2f},
    }};
    for (int i = 0; i < 8; ++i)
    {
        const auto& e = expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(effect.parameterName(i), e.name) << i;
        EXPECT_EQ(effect.parameterLabel(i), e.label) << i;
        EXPECT_EQ(effect.parameterDisplay(i), e.display) << i;
        EXPECT_EQ(effect.getParameter(i), e.value) << i;
    }
    for (int outside : {-1, 8, 1000})
    {
        for (std::int32_t textOpcode : {6, 7, 8})
            EXPECT_EQ(textOrUntouched(effect, textOpcode, outside), "<untouched>");
        EXPECT_EQ(effect.getParameter(outside), 0.0f);
    }
}

TEST_F(NewEffectTest, DisplaysFollowTheMappings)
{
    struct Case
    {
        int parameter;
        float value;
        const char* display;
    };
    const Case cases[] = {
        {0, 0.0f, "104"},      {0, 0.5f, "2539"},     {0, 1.0f, "20000"}, {1, 0.0f, "0.000000"},
        {1, 1.0f, "0.990000"}, {2, 0.4999f, "soft"},  {2, 0.5f, "hard"},  {3, 0.5f, "2550"},
        {3, 1.0f, "5000"},     {3, 0.0f, "off"},      {4, 0.0f, "60"},    {4, 1.0f, "200"},
        {5, 0.0f, "1"},        {5, 0.07692308f, "2"}, {5, 1.0f, "96"},    {5, 1.5f, "96"},
        {6, 0.5f, "50"},       {6, 0.996f, "100"},    {6, 0.003f, ""},    {6, 0.005f, "1"},
        {7, 1.0f, "100"},
    };
    for (const auto& c : cases)
    {
        effect.setParameter(c.parameter, c.value);
        EXPECT_EQ(effect.parameterDisplay(c.parameter), c.display)
            << c.parameter << " at " << c.value;
    }
    // Mod Range shows the unclamped range, even when a low cutoff limits the one in use.
    effect.setParameter(0, 0.0f);
    effect.setParameter(3, 0.5f);
    EXPECT_EQ(effect.parameterDisplay(3), "2550");
}

} // namespace
} // namespace sweepfilter::test
