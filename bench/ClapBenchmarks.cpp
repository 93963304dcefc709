// The CLAP edition's processing, as a CLAP host drives it (a null transport, or the host's
// transport with every block and the sweep following it), with the 2.0 plug-in's benchmark
// settings at 44.1 kHz, next to the same dependency-chain bound, so the ratios compare with the
// 2.0 plug-in's rows directly.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ChainBound.h"
#include "ClapInstance.h"
#include "Controls.h"

namespace sweepfilter::bench
{
namespace
{

struct ClapConfiguration
{
    bool hard, sweep, send, hostTime;
};

const host::ClapLibrary& clapModule()
{
    static const host::ClapLibrary library(SWEEPFILTER_CLAP_PATH);
    return library;
}

void processingClap(benchmark::State& state, ClapConfiguration configuration)
{
    const auto block = static_cast<std::uint32_t>(state.range(0));
    const std::uint32_t blocks = std::max(1u, 8192 / block);
    const std::int64_t frames = std::int64_t{block} * blocks;

    host::ClapInstance instance(clapModule());
    instance.activate(44100.0, 1, block);
    host::ClapEventList settings;
    const std::pair<Control, double> values[] = {
        {Control::cutoffHz, 3905.13},
        {Control::qFactor, 0.792},
        {Control::algorithm, configuration.hard ? 1.0 : 0.0},
        {Control::modRangeHz, configuration.sweep ? 2060.0 : 0.0},
        {Control::sendPercent, configuration.send ? 50.0 : 0.0},
        {Control::delaySamples, 60.0},
        {Control::sync, configuration.hostTime ? 1.0 : 0.0}};
    for (auto [control, value] : values)
        settings.addParameter(0, static_cast<clap::clap_id>(control), value);
    instance.flush(settings);
    const std::vector<float> inLeft = noise(block, 1), inRight = noise(block, 2);
    std::vector<float> outLeft(block), outRight(block);
    const float* in[2] = {inLeft.data(), inRight.data()};
    float* const out[2] = {outLeft.data(), outRight.data()};
    // The host's transport at each block's start, as hosts send it.
    host::ClapTransport transport{0.0, 120.0, true};
    const double beatsPerBlock = 120.0 / 60.0 * block / 44100.0;

    timeAgainstChainBound(state, frames, configuration.hard, [&] {
        for (std::uint32_t b = 0; b < blocks; ++b)
        {
            instance.process(in, out, block, nullptr,
                             configuration.hostTime ? &transport : nullptr);
            transport.beats += beatsPerBlock;
        }
    });
}

} // namespace

void registerClapProcessing()
{
    for (bool hostTime : {false, true})
        for (bool hard : {false, true})
            for (bool sweep : {false, true})
                for (bool send : {false, true})
                {
                    if (hostTime && !sweep)
                        continue; // the transport only matters to the sweep
                    const std::string name = std::string("clap/") + (hostTime ? "host" : "free") +
                                             "/" + (hard ? "hard" : "soft") +
                                             (sweep ? "/sweep" : "/nosweep") +
                                             (send ? "/send" : "/nosend");
                    benchmark::RegisterBenchmark(name.c_str(), processingClap,
                                                 ClapConfiguration{hard, sweep, send, hostTime})
                        ->Arg(32)
                        ->Arg(1024)
                        ->UseManualTime();
                }
}

} // namespace sweepfilter::bench
