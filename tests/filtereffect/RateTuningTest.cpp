#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <iterator>
#include <limits>
#include <random>

#include "FloatBitsSupport.h"
#include "RateTuning.h"

namespace sweepfilter::test
{
namespace
{

constexpr double pi = 3.141592653589793;

// The straightforward forms, with the C library's functions.
double referenceSoftCutoff(double fc, double rate)
{
    const double angle = 44100.0 / rate * std::atan(pi * fc / 44100.0);
    return rate / pi * std::tan(std::min(angle, 0.49 * pi));
}

// The hard filter's poles for stage coefficient f and resonance q.
std::pair<std::complex<double>, std::complex<double>> poles(double f, double q)
{
    const double p = 1.0 - f;
    const double sum = 2.0 * p + q * (1.0 - p * p), product = p * p + q * (1.0 - p * p);
    const std::complex<double> root = std::sqrt(std::complex<double>(sum * sum - 4.0 * product));
    return {(sum + root) / 2.0, (sum - root) / 2.0};
}

// At 44.1 kHz every setting passes unchanged, bit for bit; at other rates the soft corner
// follows the warping formula and the hard filter's poles are those at 44.1 kHz moved to the
// rate (z -> z^(44100/rate)) while they stay below half the rate; and whatever comes in, the
// hard filter gets a stage coefficient in 0..2 and a resonance below 1, where it is stable.
TEST(RateTuning, MovesEachResponseToTheHostsRateAndKeepsTheFiltersStable)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> cutoff(4.0f, 25000.0f), resonance(0.0f, 0.9801f);
    const RateTuning same(44100.0f);
    for (int i = 0; i < 2000; ++i)
    {
        const float fc = cutoff(random), q = resonance(random), f = fc / 20000.0f;
        EXPECT_EQ(bitsOf(same.softCutoffHz(fc)), bitsOf(fc));
        EXPECT_EQ(bitsOf(same.hard(f, q).stageCoefficient), bitsOf(f));
        EXPECT_EQ(bitsOf(same.hard(f, q).resonance), bitsOf(q));
    }
    for (float rate : {8000.0f, 22050.0f, 48000.0f, 96000.0f, 192000.0f, 768000.0f})
    {
        const RateTuning tuning(rate);
        const double r = 44100.0 / rate;
        for (int i = 0; i < 2000; ++i)
        {
            const float fc = cutoff(random), q = resonance(random), f = fc / 20000.0f;
            EXPECT_NEAR(tuning.softCutoffHz(fc) / referenceSoftCutoff(fc, rate), 1.0, 1e-6)
                << rate << " " << fc;
            const auto [stage, newQ] = tuning.hard(f, q);
            ASSERT_TRUE(stage > 0.0f && stage < 2.0f && newQ < 1.0f)
                << rate << " " << f << " " << q;
            const auto before = poles(f, q), after = poles(stage, newQ);
            const std::complex<double> moved = std::pow(before.first, r);
            const bool belowHalfRate = std::fabs(std::arg(before.first)) * r < 0.98 * pi;
            if (before.first.imag() != 0.0 && belowHalfRate)
            {
                const std::complex<double> got =
                    after.first.imag() * moved.imag() >= 0.0 ? after.first : after.second;
                EXPECT_NEAR(std::abs(got - moved), 0.0, 1e-5) << rate << " " << f << " " << q;
            }
            EXPECT_LT(std::abs(after.first), 1.0);
            EXPECT_LT(std::abs(after.second), 1.0);
        }
    }
}

// Two at once give each the bits one at a time gives, for every kind of input: usual settings,
// no resonance (real poles), cutoffs at and beyond the ends, zero, negative and NaN.
TEST(RateTuning, TwoAtOnceGiveTheBitsOfOneAtATime)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> cutoff(0.0f, 30000.0f), unit(0.0f, 1.0f);
    const float odd[] = {0.0f, -0.0f, -5.0f,    1e-30f, 1.0f,
                         1.5f, 2.0f,  22049.0f, 1e9f,   std::numeric_limits<float>::quiet_NaN()};
    const auto pick = [&](auto& distribution) {
        return random() % 8 == 0 ? odd[random() % std::size(odd)] : distribution(random);
    };
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f})
    {
        const RateTuning tuning(rate);
        for (int i = 0; i < 4000; ++i)
        {
            const std::array<float, 2> hz{pick(cutoff), pick(cutoff)};
            const std::array<float, 2> soft = tuning.softCutoffHz(hz);
            const std::array<float, 2> f{pick(unit), pick(unit)};
            const float q = i % 16 == 0 ? 0.0f : unit(random) * 0.99f;
            const auto hard = tuning.hard(f, q);
            for (std::size_t k = 0; k < 2; ++k)
            {
                ASSERT_EQ(bitsOf(soft[k]), bitsOf(tuning.softCutoffHz(hz[k])))
                    << rate << " " << hz[k];
                const auto one = tuning.hard(f[k], q);
                ASSERT_EQ(bitsOf(hard[k].stageCoefficient), bitsOf(one.stageCoefficient))
                    << rate << " " << f[k] << " " << q;
                ASSERT_EQ(bitsOf(hard[k].resonance), bitsOf(one.resonance))
                    << rate << " " << f[k] << " " << q;
            }
        }
    }
}

} // namespace
} // namespace sweepfilter::test
