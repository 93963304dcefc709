#include <gtest/gtest.h>

#include "FlangerDelay.h"

namespace sweepfilter::test
{
namespace
{

// Feeds pairs (i, -i) for i = first, first + 1, ... and returns what comes back.
float feed(FlangerDelay& line, int value)
{
    line.writeAndRead(static_cast<float>(value), static_cast<float>(-value));
    EXPECT_EQ(line.delayedRight(), -line.delayedLeft());
    return line.delayedLeft();
}

TEST(FlangerDelay, HandsBackThePairOfDelayCallsEarlier)
{
    for (int d : {0, 1, 7, 199})
    {
        FlangerDelay line(200);
        line.setDelay(d);
        // Long enough for the line to move its history back several times.
        for (int i = 1; i <= 3000; ++i)
        {
            const float expected = i > d ? static_cast<float>(i - d) : 0.0f;
            ASSERT_EQ(feed(line, i), expected) << "delay " << d << " call " << i;
        }
    }
}

TEST(FlangerDelay, FreshLineStartsWithTheLongestDelay)
{
    FlangerDelay line(200);
    EXPECT_EQ(line.delay(), 199);
    for (int i = 1; i < 200; ++i)
        ASSERT_EQ(feed(line, i), 0.0f) << i;
    EXPECT_EQ(feed(line, 200), 1.0f);
}

TEST(FlangerDelay, DelayRequestsAreLimitedToTheLine)
{
    struct Case
    {
        int request, delay;
    };
    for (auto c : {Case{0, 0}, Case{5, 5}, Case{199, 199}, Case{200, 199}, Case{1000, 199},
                   Case{-1, 0}, Case{-100000, 0}})
    {
        FlangerDelay line(200);
        line.setDelay(c.request);
        EXPECT_EQ(line.delay(), c.delay) << c.request;
        for (int i = 1; i <= 2 * c.delay + 1; ++i)
            ASSERT_EQ(feed(line, i), i > c.delay ? static_cast<float>(i - c.delay) : 0.0f)
                << c.request;
    }
}

TEST(FlangerDelay, ClearSilencesTheWholeLineAndKeepsTheDelay)
{
    for (int length : {50, 200, 300})
    {
        FlangerDelay line(length);
        const int d = length - 1;
        line.setDelay(d);
        for (int i = 1; i <= 2 * length; ++i)
            feed(line, i);
        line.clear();
        EXPECT_EQ(line.delay(), d);
        for (int i = 1; i <= d; ++i)
            ASSERT_EQ(feed(line, 1000 + i), 0.0f) << length << " " << i;
        EXPECT_EQ(feed(line, 2000), 1001.0f) << length;
    }
}

} // namespace
} // namespace sweepfilter::test
