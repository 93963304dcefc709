#pragma once

#include <cstdint>
#include <vector>

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

void registerProcessing();
void registerHostCalls();

} // namespace sweepfilter::bench
