#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "FloatBitsSupport.h"
#include "RecordingEffect.h"
#include "ValueText.h"

namespace sweepfilter::test
{
namespace
{

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// Runs a formatter into a buffer with guard bytes after the 9 bytes every text may use.
template <typename Format>
std::string formatted(Format format)
{
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    format(buffer);
    const std::size_t length = std::strlen(buffer);
    EXPECT_LE(length, 8u) << buffer;
    for (std::size_t i = length + 1; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], '#') << "written past the text at " << i;
    return std::string(buffer, length);
}

struct FormatterTest : ::testing::Test
{
    EffectLog log;
    RecordingEffect* effect = new RecordingEffect(log);
    ~FormatterTest() override { effect->destroy(); }

    std::string number(float v)
    {
        return formatted([&](char* t) { effect->formatFloat(v, t); });
    }
};

TEST_F(FormatterTest, FloatTextsAreCutNotRounded)
{
    const std::pair<float, const char*> cases[] = {
        {0.0f, "0.000000"},
        {-0.0f, "0.000000"},
        {0.99f, "0.990000"},
        {0.7f, "0.699999"},
        {0.0001f, "0.000099"},
        {1.0f, "1.000000"},
        {-0.5f, "-0.50000"},
        {-3.5f, "-3.50000"},
        {10.0f, "10.00000"},
        {19.99f, "19.98999"},
        {440.0f, "440.0000"},
        {12345.678f, "12345.67"},
        {-123456.7f, "-123456."},
        {1234567.8f, "1234567."},
        {9999999.0f, "9999999."},
        {-999999.0f, "-999999."},
        {-0.0000001f, "-0.00000"},
        {100000000.0f, " Huge!  "},
        {-10000000.0f, " Huge!  "},
        {inf, " Huge!  "},
        {-inf, " Huge!  "},
        // One integer digit too many for the point: written without it.
        {10000000.0f, "10000000"},
        {12345678.0f, "12345678"},
        {99999992.0f, "99999992"},
        {-1000000.0f, "-1000000"},
        {-1234567.0f, "-1234567"},
        {-9999999.0f, "-9999999"},
        {nan, "  NaN   "},
        {-nan, "  NaN   "},
        {floatFromBits(1), "0.000000"},
    };
    for (auto [value, text] : cases)
        EXPECT_EQ(number(value), text) << value;
}

TEST_F(FormatterTest, FloatTextIsAlwaysEightCharacters)
{
    std::uint32_t bits = 1;
    for (int i = 0; i < 200000; ++i)
    {
        bits = bits * 1664525u + 1013904223u;
        const std::string text = number(floatFromBits(bits));
        ASSERT_EQ(text.size(), 8u) << std::hex << bits << " gives " << text;
    }
}

TEST_F(FormatterTest, UnitTextsUseTheSampleRate)
{
    auto decibels = [&](float v) {
        return formatted([&](char* t) { effect->formatDecibels(v, t); });
    };
    auto hertz = [&](float v) { return formatted([&](char* t) { effect->formatHertz(v, t); }); };
    auto millis = [&](float v) {
        return formatted([&](char* t) { effect->formatMilliseconds(v, t); });
    };

    EXPECT_EQ(decibels(1.0f), "0.000000");
    EXPECT_EQ(decibels(2.0f), "6.020599");
    EXPECT_EQ(decibels(0.5f), "-6.02059");
    EXPECT_EQ(decibels(0.1f), "-20.0000");
    EXPECT_EQ(decibels(0.0f), "  -oo   ");
    EXPECT_EQ(decibels(-3.0f), "  -oo   ");

    EXPECT_EQ(hertz(100.0f), "441.0000");
    EXPECT_EQ(hertz(3.0f), "14700.00");
    EXPECT_EQ(hertz(0.0f), "0.000000");
    EXPECT_EQ(hertz(-100.0f), "-441.000");

    EXPECT_EQ(millis(441.0f), "10.00000");
    EXPECT_EQ(millis(44100.0f), "1000.000");
    EXPECT_EQ(millis(100.0f), "2.267573");
    EXPECT_EQ(millis(1.0f), "0.022675");

    effect->setSampleRate(48000.0f);
    EXPECT_EQ(hertz(100.0f), "480.0000");
    EXPECT_EQ(millis(48.0f), "1.000000");
}

TEST_F(FormatterTest, IntegerTextsAreRightAligned)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "      0"},
        {42, "     42"},
        {-5, "     -5"},
        {12345678, "12345678"},
        {99999999, "99999999"},
        {100000000, " Huge!  "},
        {-12345678, "-1234567"},
        {std::numeric_limits<std::int32_t>::max(), " Huge!  "},
        {std::numeric_limits<std::int32_t>::min(), "-2147483"},
    };
    for (auto [value, text] : cases)
        EXPECT_EQ(formatted([&](char* t) { effect->formatInteger(value, t); }), text) << value;
}

TEST(WholeNumberText, RoundsHalvesAwayFromZeroWithoutSign)
{
    const std::pair<float, const char*> cases[] = {
        {0.0f, "0"},
        {-0.0f, "0"},
        {20000.078f, "20000"},
        {120.004f, "120"},
        {37.0f, "37"},
        {99.6f, "100"},
        {0.5f, "1"},
        {2.5f, "3"},
        {1.5f, "2"},
        {0.3f, ""},
        {0.49999997f, ""},
        {-2.5f, "3"},
        {-80.0f, "80"},
        {99999999.0f, " Huge!  "},
        {99999992.0f, "99999992"},
        {inf, " Huge!  "},
        {nan, "  NaN   "},
    };
    for (auto [value, text] : cases)
        EXPECT_EQ(formatted([&](char* t) { writeWholeNumberText(value, t); }), text) << value;
}

} // namespace
} // namespace sweepfilter::test
