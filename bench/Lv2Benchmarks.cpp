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

// One instance with the 2.0 plug-in's benchmark settings (its 0..1 values in the controls'
// units), its buffers connected and its first block run (with the host's position, when it
// follows the host). With the sweep on and smoothing, every step starts a glide, so the filter
// glides all the time.
class BenchSession
{
public:
    BenchSession(const Lv2Configuration& configuration, std::uint32_t block)
        : session_(lv2Plugin(), configuration.rate), inLeft_(noise(block, 1)),
          inRight_(noise(block, 2)), outLeft_(block), outRight_(block)
    {
        session_.set(Control::cutoffHz, 3905.13f);
        session_.set(Control::qFactor, 0.792f);
        session_.set(Control::algorithm, configuration.hard ? 1.0f : 0.0f);
        session_.set(Control::modRangeHz, configuration.sweep ? 2060.0f : 0.0f);
        session_.set(Control::smoothingMs, configuration.smoothingMs);
        session_.set(Control::sendPercent, configuration.send ? 50.0f : 0.0f);
        session_.set(Control::delaySamples, 60.0f);
        session_.set(Control::behaviour, configuration.classic ? 1.0f : 0.0f);
        session_.set(Control::sync, configuration.hostTime ? 1.0f : 0.0f);
        session_.run(inLeft_.data(), inRight_.data(), outLeft_.data(), outRight_.data(), block,
                     configuration.hostTime ? std::vector<Position>{{0, 0.0, 120.0, 1.0}}
                                            : std::vector<Position>{});
        session_.writeTime({});
    }

    void run(std::uint32_t block, std::uint32_t blocks)
    {
        for (std::uint32_t b = 0; b < blocks; ++b)
            lv2Plugin()->run(session_.handle(), block);
    }

private:
    test::Session session_;
    std::vector<float> inLeft_, inRight_, outLeft_, outRight_;
};

// Modern and host-synced rows with the sweep (and no smoothing) also run Classic for the same
// settings in the same iterations, so the two compare directly.
void processingLv2(benchmark::State& state, Lv2Configuration configuration)
{
    const auto block = static_cast<std::uint32_t>(state.range(0));
    const std::uint32_t blocks = std::max(1u, 8192 / block);
    const std::int64_t frames = std::int64_t{block} * blocks;

    BenchSession session(configuration, block);
    const auto process = [&] { session.run(block, blocks); };
    if (configuration.classic || !configuration.sweep || configuration.smoothingMs > 0.0f)
        return timeAgainstChainBound(state, frames, configuration.hard, process);
    Lv2Configuration classic = configuration;
    classic.classic = true;
    classic.hostTime = false;
    classic.rate = 44100.0;
    BenchSession reference(classic, block);
    timeAgainstChainBound(state, frames, configuration.hard, process,
                          [&] { reference.run(block, blocks); });
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
