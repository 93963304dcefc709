#include <cmath>

#include "Lanes.h"
#include "RateTuning.h"
#include "TuningSeries.h"

// The tuning of two settings at once, in the two lanes of SSE2 registers: the one-value
// functions of RateTuning.cpp, with each of their branches made a choice lane by lane between
// values worked out both ways, so every lane gets the bits the one-value form gives it.

namespace sweepfilter
{
namespace
{

using namespace tuning;
using lanes::DoublePair, lanes::PairMask, lanes::select, lanes::squareRoot;

DoublePair constant(double value) noexcept
{
    return lanes::broadcast<DoublePair>(value);
}

DoublePair negated(DoublePair x) noexcept
{
    return {_mm_xor_pd(x.v, _mm_set1_pd(-0.0))};
}

// std::min(a, b): b where b < a, else a.
DoublePair smaller(DoublePair a, DoublePair b) noexcept
{
    return select(b < a, b, a);
}

DoublePair arcTangent(DoublePair x) noexcept
{
    const PairMask nearHalfPi = x > constant(tanThreeEighthsPi);
    const PairMask nearQuarterPi = x > constant(tanEighthPi);
    const DoublePair t =
        select(nearHalfPi, constant(-1.0) / x,
               select(nearQuarterPi, (x - constant(1.0)) / (x + constant(1.0)), x));
    const DoublePair base = select(nearHalfPi, constant(pi / 2.0),
                                   select(nearQuarterPi, constant(pi / 4.0), constant(0.0)));
    return base + t * polynomial(t * t, arcTangentSeries);
}

DoublePair tangent(DoublePair y) noexcept
{
    const PairMask folded = y > constant(pi / 4.0);
    y = select(folded, constant(pi / 2.0) - y, y);
    const DoublePair z = y * y;
    const DoublePair numerator =
        y * (constant(135135.0) - z * (constant(17325.0) - z * (constant(378.0) - z)));
    const DoublePair denominator =
        constant(135135.0) - z * (constant(62370.0) - z * (constant(3150.0) - constant(28.0) * z));
    return select(folded, denominator, numerator) / select(folded, numerator, denominator);
}

DoublePair cosine(DoublePair a) noexcept
{
    const PairMask folded = a > constant(pi / 2.0);
    a = select(folded, constant(pi) - a, a);
    const DoublePair value = polynomial(a * a, cosineSeries);
    return select(folded, negated(value), value);
}

DoublePair power(DoublePair x, DoublePair r) noexcept
{
    const __m128i bits = _mm_castpd_si128(x.v);
    // The biased exponents, moved to the low two 32-bit lanes and converted exactly.
    const __m128i biased = _mm_shuffle_epi32(_mm_srli_epi64(bits, 52), _MM_SHUFFLE(3, 1, 2, 0));
    DoublePair exponent = DoublePair{_mm_cvtepi32_pd(biased)} - constant(1023.0);
    DoublePair mantissa{
        _mm_castsi128_pd(_mm_or_si128(_mm_and_si128(bits, _mm_set1_epi64x(0x000FFFFFFFFFFFFF)),
                                      _mm_set1_epi64x(0x3FF0000000000000)))};
    const PairMask large = mantissa > constant(sqrtTwo);
    mantissa = select(large, mantissa * constant(0.5), mantissa);
    exponent = select(large, exponent + constant(1.0), exponent);
    const DoublePair s = (mantissa - constant(1.0)) / (mantissa + constant(1.0));
    const DoublePair y =
        r * (exponent * constant(ln2) + constant(2.0) * s * polynomial(s * s, logSeries));
    // floor(y / ln2 + 0.5): truncated, then one less where that rounded up.
    const DoublePair v = y * constant(inverseLn2) + constant(0.5);
    const DoublePair truncated{_mm_cvtepi32_pd(_mm_cvttpd_epi32(v.v))};
    const DoublePair k = truncated - select(truncated > v, constant(1.0), constant(0.0));
    const DoublePair t = y - k * constant(ln2);
    const __m128i biasedK = _mm_add_epi32(_mm_cvttpd_epi32(k.v), _mm_set1_epi32(1023));
    const DoublePair scale{
        _mm_castsi128_pd(_mm_slli_epi64(_mm_unpacklo_epi32(biasedK, _mm_setzero_si128()), 52))};
    // Zero, subnormal, NaN or a result below e^-700: a pole at the origin stays there.
    const PairMask valid = (x >= constant(0x1p-1022)) & (y > constant(-700.0));
    return select(valid, polynomial(t, exponentialSeries) * scale, constant(0.0));
}

// The angle of (x, y) for y > 0: 0..pi. At x = 0, y / |x| is infinite and its arc tangent
// exactly pi/2.
DoublePair upperAngle(DoublePair y, DoublePair x) noexcept
{
    const DoublePair magnitude{_mm_andnot_pd(_mm_set1_pd(-0.0), x.v)};
    const DoublePair angle = arcTangent(y / magnitude);
    return select(x < constant(0.0), constant(pi) - angle, angle);
}

double lane(DoublePair x, int k) noexcept
{
    return k == 0 ? lanes::leftOf(x) : lanes::rightOf(x);
}

} // namespace

std::array<float, 2> RateTuning::softCutoffHz(std::array<float, 2> cutoffHz) const noexcept
{
    if (isIdentity())
        return cutoffHz;
    const DoublePair hz = lanes::pairOf(cutoffHz[0], cutoffHz[1]);
    const DoublePair angle =
        constant(ratio_) * arcTangent(constant(pi) * hz / constant(double{tunedRate}));
    const DoublePair tuned =
        constant(ratePerPi_) * tangent(smaller(angle, constant(highestSoftAngle)));
    std::array<float, 2> result = cutoffHz;
    for (int k = 0; k < 2; ++k)
        if (cutoffHz[static_cast<std::size_t>(k)] > 0.0f)
            result[static_cast<std::size_t>(k)] = static_cast<float>(lane(tuned, k));
    return result;
}

std::array<RateTuning::HardSetting, 2> RateTuning::hard(std::array<float, 2> normalisedCutoff,
                                                        float resonance) const noexcept
{
    const std::array<HardSetting, 2> unchanged{HardSetting{normalisedCutoff[0], resonance},
                                               HardSetting{normalisedCutoff[1], resonance}};
    if (isIdentity())
        return unchanged;
    const DoublePair r = constant(ratio_);
    const DoublePair p = constant(1.0) - lanes::pairOf(normalisedCutoff[0], normalisedCutoff[1]);
    const DoublePair q = constant(resonance);
    const DoublePair sum = constant(2.0) * p + q * (constant(1.0) - p * p);
    const DoublePair product = p * p + q * (constant(1.0) - p * p);
    const DoublePair discriminant = sum * sum - constant(4.0) * product;
    // Real poles are rare (no resonance): one setting at a time then.
    if (!lanes::all(discriminant < constant(0.0)))
        return {hard(normalisedCutoff[0], resonance), hard(normalisedCutoff[1], resonance)};
    const DoublePair theta = upperAngle(squareRoot(negated(discriminant)), sum);
    const DoublePair newRho = power(squareRoot(product), r);
    const DoublePair newSum =
        constant(2.0) * newRho * cosine(smaller(r * theta, constant(highestAngle)));
    const DoublePair newProduct = newRho * newRho;
    const DoublePair squaredStage = constant(1.0) + newProduct - newSum;
    const DoublePair stage = squareRoot(squaredStage);
    const DoublePair newP = constant(1.0) - stage;
    const DoublePair denominator = constant(1.0) - newP * newP;
    const DoublePair newQ =
        select(denominator > constant(1e-12), (newProduct - newP * newP) / denominator, q);
    std::array<HardSetting, 2> result = unchanged;
    for (int k = 0; k < 2; ++k)
    {
        // A pole at 1 stands still at every rate; a setting that is not finite is not taken.
        const HardSetting moved{static_cast<float>(lane(stage, k)),
                                static_cast<float>(lane(newQ, k))};
        if (lane(squaredStage, k) > 0.0 && std::isfinite(moved.stageCoefficient) &&
            std::isfinite(moved.resonance))
            result[static_cast<std::size_t>(k)] = moved;
    }
    return result;
}

} // namespace sweepfilter
