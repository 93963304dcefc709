// What a host's calls between process calls cost: every parameter change, a program change
// and creating an effect, each followed by one 64-frame block as a host follows it, as a
// ratio to processing one 64-frame block of the same effect measured in the same iterations.
// Work a call leaves for the next block is counted too.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "HostedEffect.h"

namespace sweepfilter::bench
{
namespace
{

using Clock = std::chrono::steady_clock;
constexpr std::int32_t blockFrames = 64;
// Host calls timed together, so that the clock's own cost stays out of the result.
constexpr int callsPerBatch = 64;

enum Parameter : std::int32_t
{
    cutoff,
    qFactor,
    algorithm,
    modRange,
    tempo,
    resolution,
    sendFlanger,
    flangerDelay
};

struct Change
{
    const char* name;
    Parameter parameter;
    float first, second; // alternated, so that every call changes the value
};

struct Block
{
    std::vector<float> inLeft = noise(blockFrames, 1), inRight = noise(blockFrames, 2);
    std::vector<float> outLeft = std::vector<float>(blockFrames);
    std::vector<float> outRight = std::vector<float>(blockFrames);
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};

    void process(host::HostedEffect& effect)
    {
        effect.processReplace(inputs, outputs, blockFrames);
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Times batches of (call, block) against batches of blocks alone, alternately. The blocks
// alone run half before and half after one untimed call, so that they see the same states as
// the blocks after the calls. Reports the medians over the iterations.
void measureAgainstBlocks(benchmark::State& state, host::HostedEffect& effect,
                          const std::function<void(int)>& call)
{
    Block block;
    for (int i = 0; i < 256; ++i)
        block.process(effect);
    std::vector<double> ratios, callSeconds;
    int flip = 0;
    const auto blocksAlone = [&](int count) {
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i)
            block.process(effect);
        benchmark::ClobberMemory();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    for (auto _ : state)
    {
        const auto start = Clock::now();
        for (int i = 0; i < callsPerBatch; ++i)
        {
            call(flip++);
            block.process(effect);
        }
        benchmark::ClobberMemory();
        const double withCalls = std::chrono::duration<double>(Clock::now() - start).count();
        double alone = blocksAlone(callsPerBatch / 2);
        call(flip++);
        alone += blocksAlone(callsPerBatch / 2);
        ratios.push_back(withCalls / alone);
        callSeconds.push_back((withCalls - alone) / callsPerBatch);
        state.SetIterationTime(withCalls + alone);
    }
    state.counters["ratio_to_block"] = median(ratios);
    state.counters["call_us"] = median(callSeconds) * 1e6;
}

struct Setting
{
    bool hard, sweep;
};

// The sweep, when on, is the slowest there is: 60 BPM over 96 notes.
void configure(host::HostedEffect& effect, Setting setting)
{
    effect.resume();
    effect.setParameter(cutoff, 0.6f);
    effect.setParameter(qFactor, 0.8f);
    effect.setParameter(algorithm, setting.hard ? 0.75f : 0.25f);
    effect.setParameter(tempo, setting.sweep ? 0.0f : 0.4286f);
    effect.setParameter(resolution, setting.sweep ? 1.0f : 0.8462f);
    effect.setParameter(modRange, setting.sweep ? 0.4f : 0.0f);
}

void parameterChange(benchmark::State& state, Setting setting, Change change)
{
    host::HostedEffect effect(plugin());
    configure(effect, setting);
    measureAgainstBlocks(state, effect, [&](int flip) {
        effect.setParameter(change.parameter, flip % 2 ? change.second : change.first);
    });
}

// Two programs that both sweep (one soft, one hard), switched on every call.
void programChange(benchmark::State& state)
{
    host::HostedEffect effect(plugin());
    for (std::int32_t program : {1, 2})
    {
        effect.setProgram(program);
        configure(effect, Setting{program == 2, true});
        effect.setParameter(cutoff, program == 1 ? 0.55f : 0.7f);
    }
    measureAgainstBlocks(state, effect, [&](int flip) { effect.setProgram(flip % 2 ? 2 : 1); });
}

// main, open, resume, one block and close, in batches, against blocks of a running effect.
void createAndClose(benchmark::State& state)
{
    host::HostedEffect running(plugin());
    running.resume();
    measureAgainstBlocks(state, running, [&](int) {
        host::HostedEffect effect(plugin());
        effect.open();
        effect.resume();
        Block block;
        block.process(effect);
    });
}

} // namespace

void registerHostCalls()
{
    // Algorithm moves within its half (soft below 0.5, hard from 0.5); Mod Range switches
    // the sweep on and off again when it is off, and moves it when it is on.
    const Change sweepOffChanges[] = {
        {"cutoff", cutoff, 0.6f, 0.7f},
        {"q_factor", qFactor, 0.8f, 0.85f},
        {"algorithm", algorithm, 0.1f, 0.2f},
        {"mod_range", modRange, 0.4f, 0.0f},
        {"tempo", tempo, 0.4f, 0.5f},
        {"resolution", resolution, 0.5f, 0.6f},
        {"send_flanger", sendFlanger, 0.3f, 0.4f},
        {"flanger_delay", flangerDelay, 0.2f, 0.3f},
    };
    const Change sweepOnChanges[] = {
        {"cutoff", cutoff, 0.7f, 0.6f},       {"q_factor", qFactor, 0.85f, 0.8f},
        {"algorithm", algorithm, 0.1f, 0.2f}, {"mod_range", modRange, 0.45f, 0.4f},
        {"tempo", tempo, 0.001f, 0.0f},       {"resolution", resolution, 0.99f, 1.0f},
    };
    for (bool hard : {false, true})
    {
        const std::string filter = hard ? "hard" : "soft";
        const auto add = [&](const std::string& sweep, Setting setting, Change change) {
            if (hard && change.parameter == algorithm)
                change = Change{change.name, algorithm, change.first + 0.6f, change.second + 0.6f};
            const std::string name = "call/" + sweep + "/" + filter + "/" + change.name;
            benchmark::RegisterBenchmark(name.c_str(), parameterChange, setting, change)
                ->UseManualTime();
        };
        for (const Change& change : sweepOffChanges)
            add("sweep_off", Setting{hard, false}, change);
        for (const Change& change : sweepOnChanges)
            add("sweep_on", Setting{hard, true}, change);
    }
    benchmark::RegisterBenchmark("call/program_change", programChange)->UseManualTime();
    benchmark::RegisterBenchmark("call/create_and_close", createAndClose)->UseManualTime();
}

} // namespace sweepfilter::bench
