#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>
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
// their ratio; the iteration's time is the processing alone. With a `reference` (another way
// to process the same frames), each iteration also runs it, first or second by turns, and its
// ratio to the same bound is reported beside: a shared machine's slow spells, which can move a
// ratio by a quarter for seconds at a time, then fall on both alike, and their difference is
// what the two ways cost apart.
template <typename Process, typename Reference>
void timeAgainstChainBound(benchmark::State& state, std::int64_t frames, bool hard,
                           Process&& process, Reference&& reference)
{
    using Clock = std::chrono::steady_clock;
    constexpr bool paired = !std::is_same_v<std::decay_t<Reference>, std::nullptr_t>;
    const auto seconds = [](auto&& work) {
        const auto start = Clock::now();
        work();
        benchmark::ClobberMemory();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    double effectSeconds = 0.0, referenceSeconds = 0.0, boundSeconds = 0.0;
    bool referenceFirst = false;
    for (auto _ : state)
    {
        if constexpr (paired)
        {
            if (referenceFirst)
                referenceSeconds += seconds(reference);
        }
        const double effect = seconds(process);
        if constexpr (paired)
        {
            if (!referenceFirst)
                referenceSeconds += seconds(reference);
            referenceFirst = !referenceFirst;
        }
        boundSeconds += seconds([&] {
            benchmark::DoNotOptimize(hard ? hardChainBound(frames) : softChainBound(frames));
        });
        effectSeconds += effect;
        state.SetIterationTime(effect);
    }
    const double totalFrames =
        static_cast<double>(frames) * static_cast<double>(state.iterations());
    state.counters["ns_per_frame"] = effectSeconds * 1e9 / totalFrames;
    state.counters["bound_ns_per_frame"] = boundSeconds * 1e9 / totalFrames;
    state.counters["ratio_to_bound"] = effectSeconds / boundSeconds;
    if constexpr (paired)
        state.counters["reference_ratio"] = referenceSeconds / boundSeconds;
    state.SetItemsProcessed(static_cast<std::int64_t>(totalFrames));
}

template <typename Process>
void timeAgainstChainBound(benchmark::State& state, std::int64_t frames, bool hard,
                           Process&& process)
{
    timeAgainstChainBound(state, frames, hard, std::forward<Process>(process), nullptr);
}

void registerProcessing();
void registerHostCalls();
void registerLv2Processing();
void registerClapProcessing();

} // namespace sweepfilter::bench
