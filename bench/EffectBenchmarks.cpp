// The effect's processing through its record, per configuration and block size, next to the
// dependency-chain bound of its algorithm measured in the same iterations.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ChainBound.h"
#include "HostedEffect.h"

namespace sweepfilter::bench
{
namespace
{

struct Configuration
{
    bool hard, sweep, send, accumulate;
};

// Each iteration processes about 8192 frames in blocks of the given size, then runs the
// bound's chain over as many frames; the counters compare the two.
void processing(benchmark::State& state, Configuration configuration)
{
    const auto block = static_cast<std::int32_t>(state.range(0));
    const std::int32_t blocks = std::max(1, 8192 / block);
    const std::int64_t frames = std::int64_t{block} * blocks;

    host::HostedEffect effect(plugin());
    effect.resume();
    effect.setParameter(0, 0.6f);
    effect.setParameter(1, 0.8f);
    effect.setParameter(2, configuration.hard ? 1.0f : 0.0f);
    effect.setParameter(3, configuration.sweep ? 0.4f : 0.0f);
    effect.setParameter(6, configuration.send ? 0.5f : 0.0f);
    effect.setParameter(7, 0.3f);

    std::vector<float> inLeft = noise(static_cast<std::size_t>(block), 1);
    std::vector<float> inRight = noise(static_cast<std::size_t>(block), 2);
    std::vector<float> outLeft(inLeft.size()), outRight(inRight.size());
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};

    timeAgainstChainBound(state, frames, configuration.hard, [&] {
        for (std::int32_t b = 0; b < blocks; ++b)
        {
            if (configuration.accumulate)
                effect.processAccumulate(inputs, outputs, block);
            else
                effect.processReplace(inputs, outputs, block);
        }
    });
}

} // namespace

void registerProcessing()
{
    for (bool hard : {false, true})
        for (bool sweep : {false, true})
            for (bool send : {false, true})
            {
                const std::string name = std::string(hard ? "hard" : "soft") +
                                         (sweep ? "/sweep" : "/nosweep") +
                                         (send ? "/send" : "/nosend");
                benchmark::RegisterBenchmark(name.c_str(), processing,
                                             Configuration{hard, sweep, send, false})
                    ->Arg(32)
                    ->Arg(512)
                    ->Arg(1024)
                    ->UseManualTime();
            }
    benchmark::RegisterBenchmark("soft/sweep/send/accumulate", processing,
                                 Configuration{false, true, true, true})
        ->Arg(1024)
        ->UseManualTime();
}

} // namespace sweepfilter::bench

int main(int argc, char** argv)
{
    sweepfilter::bench::registerProcessing();
    sweepfilter::bench::registerHostCalls();
    sweepfilter::bench::registerClapProcessing();
#ifdef SWEEPFILTER_BENCH_LV2
    sweepfilter::bench::registerLv2Processing();
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
