// The effect's processing through its record, per configuration and block size, next to the
// dependency-chain bound of its algorithm measured in the same iterations.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "BenchSupport.h"
#include "ChainBound.h"
#include "Effect20Session.h"

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

    Effect20Session session(configuration.hard, configuration.sweep, configuration.send, block);
    timeAgainstChainBound(state, frames, configuration.hard,
                          [&] { session.run(block, blocks, configuration.accumulate); });
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
