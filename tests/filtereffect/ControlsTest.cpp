#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>

#include "FloatBitsSupport.h"
#include "ParameterMapping.h"
#include "Parameters.h"
#include "Controls.h"

namespace sweepfilter::test
{
namespace
{

using ControlPort = Control;

float converted(ControlPort port, float value)
{
    const auto result = effectValue(port, value);
    EXPECT_TRUE(result.has_value());
    return result.value_or(-1.0f);
}

// At its default every port stands for program 0's value, bit for bit; NaN stands for nothing.
TEST(Controls, DefaultsAreProgramZeroAndNaNIsNothing)
{
    for (int k = 0; k < parameterControlCount; ++k)
    {
        const auto port = static_cast<ControlPort>(k);
        EXPECT_EQ(bitsOf(converted(port, describe(port).defaultValue)),
                  bitsOf(defaultParameterValues[static_cast<std::size_t>(k)]))
            << k;
        EXPECT_FALSE(effectValue(port, std::numeric_limits<float>::quiet_NaN()).has_value()) << k;
    }
}

// Values beyond a port's range are limited to it, infinities included.
TEST(Controls, ValuesOutsideTheRangeAreLimited)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        ControlPort port;
        float value, expected;
    } cases[] = {
        {ControlPort::cutoffHz, -5.0f, 0.0f},        {ControlPort::cutoffHz, 1.0e9f, 1.0f},
        {ControlPort::qFactor, -1.0f, 0.0f},         {ControlPort::qFactor, inf, 1.0f},
        {ControlPort::algorithm, -3.0f, 0.0f},       {ControlPort::algorithm, 7.0f, 1.0f},
        {ControlPort::modRangeHz, -100.0f, 0.0f},    {ControlPort::modRangeHz, 9000.0f, 1.0f},
        {ControlPort::tempoBpm, 0.0f, 0.0f},         {ControlPort::tempoBpm, 500.0f, 1.0f},
        {ControlPort::sendPercent, -inf, 0.0f},      {ControlPort::sendPercent, 250.0f, 1.0f},
        {ControlPort::delaySamples, -2.0f, 0.0025f}, {ControlPort::delaySamples, 1000.0f, 0.9975f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(converted(c.port, c.value), c.expected)
            << static_cast<int>(c.port) << " " << c.value;
}

// Each port value comes back out of the effect's own mapping as the setting it names.
TEST(Controls, TheEffectsMappingGivesThePortValueBack)
{
    for (float hz : {104.40182f, 250.0f, 996.3f, 2538.86f, 12000.0f, 20000.078f})
        EXPECT_NEAR(mapping::cutoffHz(converted(ControlPort::cutoffHz, hz)), hz, hz * 1e-5);
    for (float q : {0.0f, 0.5f, 0.891f, 0.99f})
        EXPECT_NEAR(mapping::resonance(converted(ControlPort::qFactor, q)), q, 1e-6);
    EXPECT_FALSE(mapping::selectsHardAlgorithm(converted(ControlPort::algorithm, 0.0f)));
    EXPECT_TRUE(mapping::selectsHardAlgorithm(converted(ControlPort::algorithm, 1.0f)));
    // 0 is off; anything above it sweeps by 100 Hz at least.
    EXPECT_EQ(converted(ControlPort::modRangeHz, 0.0f), 0.0f);
    for (float hz : {0.5f, 100.0f})
    {
        EXPECT_GT(converted(ControlPort::modRangeHz, hz), 0.0f);
        EXPECT_NEAR(mapping::sweepRangeHz(converted(ControlPort::modRangeHz, hz)), 100.0, 1e-3);
    }
    for (float hz : {1080.0f, 5000.0f})
        EXPECT_NEAR(mapping::sweepRangeHz(converted(ControlPort::modRangeHz, hz)), hz, 1e-2);
    for (float bpm : {60.0f, 90.0f, 200.0f})
        EXPECT_NEAR(mapping::tempoBpm(converted(ControlPort::tempoBpm, bpm)), bpm, 1e-4);
    for (float notes :
         {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 16.0f, 32.0f, 48.0f, 64.0f, 96.0f})
    {
        std::uint32_t resolution = 0;
        ASSERT_TRUE(
            mapping::resolutionNotes(converted(ControlPort::resolution, notes), resolution));
        EXPECT_EQ(resolution, static_cast<std::uint32_t>(notes));
    }
    for (float percent : {0.0f, 35.0f, 100.0f})
        EXPECT_NEAR(mapping::percent(converted(ControlPort::sendPercent, percent)), percent, 1e-4);
    for (int samples = 0; samples <= 199; ++samples)
        EXPECT_EQ(mapping::flangerDelaySamples(
                      converted(ControlPort::delaySamples, static_cast<float>(samples))),
                  samples);
}

// What hosts check of a description: defaults within range, unique symbols and scale-point
// values, scale points within range, enumerations whole numbers.
TEST(Controls, DescriptionsAreConsistent)
{
    std::set<std::string> symbols;
    for (int k = 0; k < controlCount; ++k)
    {
        const ControlDescription& d = describe(static_cast<Control>(k));
        EXPECT_TRUE(symbols.insert(d.symbol).second) << d.symbol;
        EXPECT_LT(d.minimum, d.maximum) << d.symbol;
        EXPECT_GE(d.defaultValue, d.minimum) << d.symbol;
        EXPECT_LE(d.defaultValue, d.maximum) << d.symbol;
        EXPECT_NE(std::string(d.comment), "") << d.symbol;
        EXPECT_NE(d.group, nullptr) << d.symbol;
        std::set<float> values;
        for (const ScalePoint& point : d.scalePoints)
        {
            EXPECT_TRUE(values.insert(point.value).second) << d.symbol << " " << point.label;
            EXPECT_GE(point.value, d.minimum) << d.symbol;
            EXPECT_LE(point.value, d.maximum) << d.symbol;
        }
        if (d.enumeration)
        {
            EXPECT_TRUE(d.integer && !d.scalePoints.empty()) << d.symbol;
        }
    }
    EXPECT_FALSE(effectValue(Control::behaviour, 0.0f).has_value());
}

} // namespace
} // namespace sweepfilter::test
