// The LV2 edition's processing, as an LV2 host drives it, in its behaviours: Classic, Modern
// with the sweep running free, and Modern following the host's time; at 44.1 and 48 kHz.
// Each next to the same dependency-chain bound as the 2.0 plug-in's processing, so the ratios
// compare directly.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ChainBound.h"
#include "Lv2TestHost.h"

namespace sweepfilter::bench
{
namespace
{

using test::Position;

struct Lv2Configuration
{
    bool hard, send, classic, hostTime;
    double rate;
    bool sweep = true;
    float smoothingMs = 0.0f;
};

const LV2_Descriptor* lv2Plugin()
{
    static test::BundleLibrary library;
    return library.descriptor();
}

// The settings of the 2.0 plug-in's benchmark (its 0..1 values in the controls' units). With
// the sweep on and smoothing, every step starts a glide, so the filter glides all the time.
void processingLv2(benchmark::State& state, Lv2Configuration configuration)
{
    const auto block = static_cast<std::uint32_t>(state.range(0));
    const std::uint32_t blocks = std::max(1u, 8192 / block);
    const std::int64_t frames = std::int64_t{block} * blocks;

    test::Session session(lv2Plugin(), configuration.rate);
    session.set(Control::cutoffHz, 3905.13f);
    session.set(Control::qFactor, 0.792f);
    session.set(Control::algorithm, configuration.hard ? 1.0f : 0.0f);
    session.set(Control::modRangeHz, configuration.sweep ? 2060.0f : 0.0f);
    session.set(Control::smoothingMs, configuration.smoothingMs);
    session.set(Control::sendPercent, configuration.send ? 50.0f : 0.0f);
    session.set(Control::delaySamples, 60.0f);
    session.set(Control::behaviour, configuration.classic ? 1.0f : 0.0f);
    session.set(Control::sync, configuration.hostTime ? 1.0f : 0.0f);
    const std::vector<float> inLeft = noise(block, 1), inRight = noise(block, 2);
    std::vector<float> outLeft(block), outRight(block);
    session.run(inLeft.data(), inRight.data(), outLeft.data(), outRight.data(), block,
                configuration.hostTime ? std::vector<Position>{{0, 0.0, 120.0, 1.0}}
                                       : std::vector<Position>{});
    session.writeTime({});

    timeAgainstChainBound(state, frames, configuration.hard, [&] {
        for (std::uint32_t b = 0; b < blocks; ++b)
            lv2Plugin()->run(session.handle(), block);
    });
}

} // namespace

void registerLv2Processing()
{
    struct Behaviour
    {
        const char* name;
        bool classic, hostTime;
    };
    for (bool hard : {false, true})
        for (bool send : {false, true})
            for (Behaviour behaviour : {Behaviour{"classic", true, false},
                                        {"modern", false, false},
                                        {"host", false, true}})
                for (double rate : {44100.0, 48000.0})
                {
                    if (behaviour.classic && rate != 44100.0)
                        continue; // Classic does the same work at every rate
                    const std::string name = std::string("lv2/") + behaviour.name + "/" +
                                             std::to_string(static_cast<int>(rate)) + "/" +
                                             (hard ? "hard" : "soft") + "/sweep" +
                                             (send ? "/send" : "/nosend");
                    benchmark::RegisterBenchmark(
                        name.c_str(), processingLv2,
                        Lv2Configuration{hard, send, behaviour.classic, behaviour.hostTime, rate})
                        ->Arg(32)
                        ->Arg(1024)
                        ->UseManualTime();
                }
    // Smoothing in Modern at 44.1 kHz: gliding all the time (the sweep on), and nothing
    // gliding next to the same without smoothing.
    for (bool hard : {false, true})
        for (bool sweep : {false, true})
            for (float smoothing : {0.0f, 20.0f})
            {
                if (sweep && smoothing == 0.0f)
                    continue; // the rows above
                const std::string name = std::string("lv2/modern/44100/") +
                                         (hard ? "hard" : "soft") +
                                         (sweep ? "/sweep" : "/nosweep") + "/nosend" +
                                         (smoothing > 0.0f ? "/smooth" : "");
                benchmark::RegisterBenchmark(
                    name.c_str(), processingLv2,
                    Lv2Configuration{hard, false, false, false, 44100.0, sweep, smoothing})
                    ->Arg(1024)
                    ->UseManualTime();
            }
}

} // namespace sweepfilter::bench
