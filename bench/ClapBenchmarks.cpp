// The CLAP edition's processing, as a CLAP host drives it (a null transport, or the host's
// transport with every block and the sweep following it), with the 2.0 plug-in's benchmark
// settings at 44.1 kHz, next to the same dependency-chain bound, so the ratios compare with the
// 2.0 plug-in's rows directly (which call the record's process function as directly); each
// row also runs the 2.0 plug-in with the same settings in the same iterations.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ChainBound.h"
#include "ClapInstance.h"
#include "Effect20Session.h"
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
    std::vector<float> inLeft = noise(block, 1), inRight = noise(block, 2);
    std::vector<float> outLeft(block), outRight(block);
    const float* in[2] = {inLeft.data(), inRight.data()};
    float* const out[2] = {outLeft.data(), outRight.data()};
    instance.process(in, out, block); // starts processing

    // The plug-in's process itself, with the structs built once, as a host keeps them; the
    // host's transport at each block's start.
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    const clap::clap_audio_buffer input{inputs, nullptr, 2, 0, 0};
    clap::clap_audio_buffer output{outputs, nullptr, 2, 0, 0};
    const host::ClapEventList none;
    const host::ClapTransport rolling{0.0, 120.0, true};
    clap::clap_event_transport transport = host::ClapEventList::transportEvent(0, rolling);
    const auto beatsPerBlock = static_cast<clap::clap_beattime>(
        120.0 / 60.0 * block / 44100.0 * static_cast<double>(clap::CLAP_BEATTIME_FACTOR));
    const clap::clap_process process{
        -1,          block,  configuration.hostTime ? &transport : nullptr, &input, &output, 1, 1,
        none.list(), nullptr};
    const clap::clap_plugin& plugin = instance.plugin();

    Effect20Session reference(configuration.hard, configuration.sweep, configuration.send,
                              static_cast<std::int32_t>(block));
    timeAgainstChainBound(
        state, frames, configuration.hard,
        [&] {
            for (std::uint32_t b = 0; b < blocks; ++b)
            {
                plugin.process(&plugin, &process);
                transport.song_pos_beats += beatsPerBlock;
            }
        },
        [&] {
            reference.run(static_cast<std::int32_t>(block), static_cast<std::int32_t>(blocks));
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
