#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "PluginHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

struct NonFiniteTest : ::testing::Test
{
    PluginLibrary library;
    HostedEffect effect{library};

    // Noise with NaN and infinities at frames 300..319.
    StereoSignal poisoned(std::size_t frames)
    {
        StereoSignal signal(noise(frames, 8), noise(frames, 9));
        for (std::size_t i = 300; i < 320; ++i)
            signal.left[i] = signal.right[i] = i < 310 ? nan : (i % 2 ? inf : -inf);
        return signal;
    }
    void process(StereoSignal& signal)
    {
        effect.processReplace(signal.buffers(), signal.buffers(), signal.frameCount());
    }
};

bool allFinite(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
        if (!std::isfinite(samples[i]))
            return false;
    return true;
}

TEST_F(NonFiniteTest, HardFilterSilencesBadInputAndRecovers)
{
    effect.setParameter(2, 1.0f);
    effect.setParameter(0, 0.5f);
    effect.setParameter(1, 0.95f);
    StereoSignal signal = poisoned(2000);
    process(signal);
    EXPECT_TRUE(allFinite(signal.left, 0, 2000));
    for (std::size_t i = 300; i < 320; ++i)
        EXPECT_EQ(signal.left[i], 0.0f) << i;
    EXPECT_NE(signal.left[1999], 0.0f);
}

TEST_F(NonFiniteTest, SendCarriesBadInputOnceAfterItsDelay)
{
    effect.setParameter(2, 1.0f);
    effect.setParameter(6, 0.5f);
    effect.setParameter(7, 0.05f); // 10 samples
    StereoSignal signal = poisoned(2000);
    process(signal);
    EXPECT_TRUE(allFinite(signal.left, 0, 310));
    EXPECT_TRUE(std::isnan(signal.left[310]));
    EXPECT_TRUE(std::isinf(signal.left[320]));
    EXPECT_TRUE(allFinite(signal.left, 330, 2000));
}

TEST_F(NonFiniteTest, SoftFilterKeepsBadValuesUntilSuspendOrResume)
{
    StereoSignal signal = poisoned(2000);
    process(signal);
    EXPECT_TRUE(allFinite(signal.left, 0, 300));
    EXPECT_FALSE(std::isfinite(signal.left[1999])); // held in the filter's history
    effect.suspend();
    effect.resume();
    StereoSignal clean(noise(500, 3), noise(500, 4));
    process(clean);
    EXPECT_TRUE(allFinite(clean.left, 0, 500));
}

TEST_F(NonFiniteTest, NaNParametersGiveDefinedResults)
{
    struct Case
    {
        int parameter;
        bool hard;
        bool finiteOutput;
    };
    // Cutoff or Q Factor as NaN makes the soft filter's coefficients NaN; the hard filter
    // resets each sample instead. Every other parameter keeps the output finite.
    const Case cases[] = {{0, false, false}, {1, false, false}, {0, true, true},  {1, true, true},
                          {2, false, true},  {3, false, true},  {4, false, true}, {5, false, true},
                          {6, false, true},  {7, false, true},  {3, true, true},  {4, true, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.parameter);
        HostedEffect fresh(library);
        fresh.setParameter(2, c.hard ? 1.0f : 0.0f);
        fresh.setParameter(3, 0.5f);
        fresh.setParameter(6, 0.3f);
        fresh.setParameter(c.parameter, nan);
        EXPECT_TRUE(std::isnan(fresh.getParameter(c.parameter)));
        const std::string display = fresh.parameterDisplay(c.parameter);
        EXPECT_LE(display.size(), 8u) << display;
        StereoSignal signal(noise(3000, 1), noise(3000, 2));
        fresh.processReplace(signal.buffers(), signal.buffers(), 3000);
        EXPECT_EQ(allFinite(signal.left, 0, 3000), c.finiteOutput);
        // A finite value brings it back.
        fresh.setParameter(c.parameter, 0.6f);
        fresh.suspend();
        StereoSignal after(noise(3000, 5), noise(3000, 6));
        fresh.processReplace(after.buffers(), after.buffers(), 3000);
        EXPECT_TRUE(allFinite(after.left, 0, 3000));
    }
}

} // namespace
} // namespace sweepfilter::test
