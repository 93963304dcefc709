#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <thread>
#include <vector>

#include "PluginHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

constexpr int effectCount = 64;
constexpr int threadCount = 4;
constexpr int blocksPerEffect = 12;

// One block of an effect's life: what changes before it, and its length.
struct Step
{
    std::int32_t program; // -1: keep the current one
    std::int32_t parameter;
    float value;
    bool suspend;
    std::int32_t frames;
};

// A deterministic script of blocks and changes for effect `index`: about 48000 frames.
std::vector<Step> scriptFor(int index)
{
    std::uint32_t state = 0x9E3779B9u * static_cast<std::uint32_t>(index + 1);
    auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    std::vector<Step> script;
    for (int block = 0; block < blocksPerEffect; ++block)
    {
        Step step;
        step.program = next() % 4 == 0 ? static_cast<std::int32_t>(next() % 16) : -1;
        step.parameter = static_cast<std::int32_t>(next() % 8);
        step.value = static_cast<float>(next() >> 8) / 16777216.0f;
        step.suspend = next() % 6 == 0;
        step.frames = 1 + static_cast<std::int32_t>(next() % 8000);
        script.push_back(step);
    }
    return script;
}

// Runs one block of the script and folds its output bits into `checksum`.
void runStep(HostedEffect& effect, const Step& step, int effectIndex, int block,
             std::uint64_t& checksum)
{
    if (step.program >= 0)
        effect.setProgram(step.program);
    effect.setParameter(step.parameter, step.value);
    if (step.suspend)
    {
        effect.suspend();
        effect.resume();
    }
    const auto frames = static_cast<std::size_t>(step.frames);
    StereoSignal signal(noise(frames, static_cast<std::uint32_t>(effectIndex * 100 + block)),
                        noise(frames, static_cast<std::uint32_t>(effectIndex * 100 + block + 50)));
    effect.processReplace(signal.buffers(), signal.buffers(), step.frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        checksum = (checksum ^ std::bit_cast<std::uint32_t>(signal.left[i])) * 1099511628211ull;
        checksum = (checksum ^ std::bit_cast<std::uint32_t>(signal.right[i])) * 1099511628211ull;
    }
}

// 64 effects on 4 threads: each thread creates its effects, interleaves their blocks and
// changes, and closes them, while the others do the same and other effects come and go.
// Every effect must give exactly the bits it gives when it runs alone.
TEST(Concurrency, EffectsOnSeveralThreadsMatchTheirSoloRuns)
{
    PluginLibrary library;
    std::vector<std::vector<Step>> scripts;
    for (int e = 0; e < effectCount; ++e)
        scripts.push_back(scriptFor(e));

    std::vector<std::uint64_t> solo(effectCount, 14695981039346656037ull);
    for (int e = 0; e < effectCount; ++e)
    {
        HostedEffect effect(library);
        effect.resume();
        for (int block = 0; block < blocksPerEffect; ++block)
            runStep(effect, scripts[e][static_cast<std::size_t>(block)], e, block, solo[e]);
    }

    std::vector<std::uint64_t> concurrent(effectCount, 14695981039346656037ull);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
    {
        threads.emplace_back([&, t] {
            std::vector<std::unique_ptr<HostedEffect>> mine;
            for (int e = t; e < effectCount; e += threadCount)
            {
                mine.push_back(std::make_unique<HostedEffect>(library));
                mine.back()->resume();
            }
            for (int block = 0; block < blocksPerEffect; ++block)
            {
                for (std::size_t k = 0; k < mine.size(); ++k)
                {
                    const int e = t + static_cast<int>(k) * threadCount;
                    runStep(*mine[k], scripts[e][static_cast<std::size_t>(block)], e, block,
                            concurrent[e]);
                }
                // Short-lived neighbours, made and closed while the others run.
                HostedEffect passing(library);
                passing.setParameter(0, 0.5f);
            }
            mine.clear();
        });
    }
    for (auto& thread : threads)
        thread.join();

    for (int e = 0; e < effectCount; ++e)
        EXPECT_EQ(concurrent[e], solo[e]) << "effect " << e;
}

} // namespace
} // namespace sweepfilter::test
