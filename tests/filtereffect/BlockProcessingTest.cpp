#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "OwnedEffect.h"
#include "ReferenceProcessing.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

struct Random
{
    std::uint32_t state;
    std::uint32_t next() { return state = state * 1664525u + 1013904223u; }
    std::uint32_t below(std::uint32_t n) { return (next() >> 8) % n; }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
};

// Long random sessions: parameter and program changes between blocks of random sizes, both
// process entries, in-place and separate buffers, signals with silence and subnormals. The
// block processing and the plain per-sample loop must agree to the bit, and leave the
// effects in the same state.
TEST(BlockProcessing, EqualsThePerSampleLoop)
{
    for (std::uint32_t session = 1; session <= 12; ++session)
    {
        SCOPED_TRACE(session);
        Random random{session * 7919u};
        auto fast = makeEffect(), plain = makeEffect();
        for (int block = 0; block < 120; ++block)
        {
            const std::uint32_t change = random.below(10);
            if (change < 5)
            {
                const auto parameter = static_cast<std::int32_t>(random.below(8));
                const float value = random.unit();
                fast->setParameter(parameter, value);
                plain->setParameter(parameter, value);
            }
            else if (change == 5)
            {
                const auto program = static_cast<std::int32_t>(random.below(16));
                fast->setProgram(program);
                plain->setProgram(program);
            }
            else if (change == 6)
            {
                fast->resume();
                plain->resume();
            }
            // Keep the sweep and the send on often enough to matter.
            if (block % 7 == 0)
            {
                const float range = random.unit(), send = random.unit() * 0.8f;
                fast->setParameter(modRangeParameter, range);
                plain->setParameter(modRangeParameter, range);
                fast->setParameter(sendFlangerParameter, send);
                plain->setParameter(sendFlangerParameter, send);
            }

            const std::size_t frames = 1 + random.below(random.below(4) == 0 ? 3000 : 300);
            std::vector<float> left = noise(frames, random.next()), right = chord(frames);
            if (random.below(5) == 0)
                for (std::size_t i = 0; i < frames; i += 3)
                    left[i] = right[i] = i % 2 ? 0.0f : std::bit_cast<float>(0x00000100u);
            std::vector<float> outFastL(frames, 0.25f), outFastR(frames, -0.5f);
            std::vector<float> outPlainL = outFastL, outPlainR = outFastR;
            std::vector<float> inPlainL = left, inPlainR = right;
            const bool inPlace = random.below(2) == 0;
            const bool accumulate = random.below(3) == 0;
            float* in[2] = {left.data(), right.data()};
            float* outFast[2] = {outFastL.data(), outFastR.data()};
            float* inPlain[2] = {inPlainL.data(), inPlainR.data()};
            float* outPlain[2] = {outPlainL.data(), outPlainR.data()};
            const auto count = static_cast<std::int32_t>(frames);
            if (accumulate)
            {
                fast->processAccumulate(in, inPlace ? in : outFast, count);
                ReferenceProcessing::process<true>(*plain, inPlain, inPlace ? inPlain : outPlain,
                                                   count);
            }
            else
            {
                fast->processReplace(in, inPlace ? in : outFast, count);
                ReferenceProcessing::process<false>(*plain, inPlain, inPlace ? inPlain : outPlain,
                                                    count);
            }
            const auto& fastLeft = inPlace ? left : outFastL;
            const auto& plainLeft = inPlace ? inPlainL : outPlainL;
            const auto& fastRight = inPlace ? right : outFastR;
            const auto& plainRight = inPlace ? inPlainR : outPlainR;
            for (std::size_t i = 0; i < frames; ++i)
            {
                ASSERT_EQ(std::bit_cast<std::uint32_t>(fastLeft[i]),
                          std::bit_cast<std::uint32_t>(plainLeft[i]))
                    << "block " << block << " frame " << i;
                ASSERT_EQ(std::bit_cast<std::uint32_t>(fastRight[i]),
                          std::bit_cast<std::uint32_t>(plainRight[i]))
                    << "block " << block << " frame " << i;
            }
            ASSERT_EQ(fast->sampleCounter(), plain->sampleCounter());
            ASSERT_EQ(fast->modulationTable().position(), plain->modulationTable().position());
            ASSERT_EQ(fast->flangerDelay().delay(), plain->flangerDelay().delay());
            ASSERT_EQ(fast->flangerDelay().delayedLeft(), plain->flangerDelay().delayedLeft());
        }
    }
}

} // namespace
} // namespace sweepfilter::test
