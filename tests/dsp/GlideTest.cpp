#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Glide.h"

namespace sweepfilter::test
{
namespace
{

// The values a glide gives frame by frame: retargeted on the frames listed.
std::vector<float> follow(Glide<1>& glide, const std::vector<std::pair<int, float>>& targets,
                          int frames)
{
    std::vector<float> values;
    auto next = targets.begin();
    for (int frame = 0; frame < frames; ++frame)
    {
        if (next != targets.end() && next->first == frame)
            glide.setTarget({(next++)->second});
        values.push_back(glide.isGliding() ? glide.valueAt(0, 0) : glide.target()[0]);
        glide.advance(1);
    }
    return values;
}

// A glide moves by equal steps and ends exactly on its target after `length` frames; a new
// target mid-glide starts from where it stands, so no frame jumps by more than one step of
// either line; the same target again changes nothing.
TEST(Glide, MovesInEqualStepsEndsOnTheTargetAndNeverJumps)
{
    Glide<1> glide;
    glide.setLength(10);
    glide.jumpTo({0.0f});
    const std::vector<float> straight = follow(glide, {{0, 10.0f}, {5, 10.0f}}, 12);
    for (int i = 0; i < 10; ++i)
        EXPECT_FLOAT_EQ(straight[static_cast<std::size_t>(i)], static_cast<float>(i + 1)) << i;
    EXPECT_EQ(straight.back(), 10.0f);

    glide.jumpTo({0.0f});
    const std::vector<float> turned = follow(glide, {{0, 10.0f}, {4, -30.0f}}, 20);
    EXPECT_FLOAT_EQ(turned[4], 4.0f - 3.4f); // from 4 towards -30 in 10 steps of -3.4
    for (std::size_t i = 1; i < turned.size(); ++i)
        EXPECT_LE(std::fabs(turned[i] - turned[i - 1]), 3.4f + 1e-5f) << i;
    EXPECT_EQ(turned.back(), -30.0f);

    // Setting the same length mid-glide does not start the line again.
    glide.jumpTo({0.0f});
    glide.setTarget({10.0f});
    glide.advance(5);
    glide.setLength(10);
    EXPECT_EQ(glide.framesLeft(), 4u);

    glide.setLength(0);
    EXPECT_EQ(follow(glide, {{0, 7.0f}}, 1)[0], 7.0f);
}

} // namespace
} // namespace sweepfilter::test
