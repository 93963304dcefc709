#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "ChainBound.h"
#include "PluginLibrary.h"

namespace sweepfilter::bench
{

// The plug-in the build made, loaded once for every benchmark.
inline const host::PluginLibrary& plugin()
{
    static host::PluginLibrary library(SWEEPFILTER_PLUGIN_PATH);
    return library;
}

// Deterministic white noise in -1..1.
inline std::vector<float> noise(std::size_t frames, std::uint32_t seed)
{
    std::vector<float> samples(frames);
    for (auto& sample : samples)
    {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
    }
    return samples;
}

// Runs `process` (one iteration's worth of blocks, `frames` in all) against the chain bound of
// the same algorithm over as many frames, and reports the nanoseconds per frame of each and
// their ratio; the iteration's time is the processing alone.
template <typename Process>
void timeAgainstChainBound(benchmark::State& state, std::int64_t frames, bool hard,
                           Process&& process)
{
    using Clock = std::chrono::steady_clock;
    double effectSeconds = 0.0, boundSeconds = 0.0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        process();
        benchmark::ClobberMemory();
        const auto middle = Clock::now();
        benchmark::DoNotOptimize(hard ? hardChainBound(frames) : softChainBound(frames));
        const auto end = Clock::now();
        const double seconds = std::chrono::duration<double>(middle - start).count();
        effectSeconds += seconds;
        boundSeconds += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(seconds);
    }
    const double totalFrames =
        static_cast<double>(frames) * static_cast<double>(state.iterations());
    state.counters["ns_per_frame"] = effectSeconds * 1e9 / totalFrames;
    state.counters["bound_ns_per_frame"] = boundSeconds * 1e9 / totalFrames;
    state.counters["ratio_to_bound"] = effectSeconds / boundSeconds;
    state.SetItemsProcessed(static_cast<std::int64_t>(totalFrames));
}

void registerProcessing();
void registerHostCalls();
void registerLv2Processing();
void registerClapProcessing();

} // namespace sweepfilter::bench
