#include "Render.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "EffectSetup.h"
#include "ToolError.h"
#include "HostedEffect.h"
#include "OutputFile.h"
#include "Progress.h"
#include "SoundFile.h"

namespace sweepfilter::tool
{
using host::HostedEffect;
using host::PluginLibrary;

namespace
{

std::atomic<bool> interrupted{false};

void onInterrupt(int) noexcept
{
    if (interrupted.exchange(true))
    {
        // A second interrupt: leave at once, but leave nothing half-written behind.
        OutputFile::removeAllPending();
        _exit(130);
    }
}

struct TimedChange
{
    std::int64_t frame;
    std::int32_t parameter;
    float value;
};

int majorFormatFor(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".aif" || extension == ".aiff")
        return SF_FORMAT_AIFF;
    if (extension == ".flac")
        return SF_FORMAT_FLAC;
    if (extension == ".caf")
        return SF_FORMAT_CAF;
    if (extension == ".w64")
        return SF_FORMAT_W64;
    return SF_FORMAT_WAV;
}

int outputFormat(const RenderOptions& options, int inputFormat)
{
    if (options.format == "input")
        return inputFormat;
    const int major = majorFormatFor(options.output);
    if (options.format == "float")
        return major | SF_FORMAT_FLOAT;
    if (options.format == "pcm16")
        return major | SF_FORMAT_PCM_16;
    if (options.format == "pcm24")
        return major | SF_FORMAT_PCM_24;
    if (options.format == "pcm32")
        return major | SF_FORMAT_PCM_32;
    throw ToolError(ExitCode::usage, "unknown output format '" + options.format + "'");
}

bool samePath(const std::string& a, const std::string& b)
{
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    return std::filesystem::weakly_canonical(a, error) ==
           std::filesystem::weakly_canonical(b, error);
}

// The plug-in's channel buffers for one block, and the file's interleaved frames.
struct BlockBuffers
{
    std::vector<float> inLeft, inRight, outLeft, outRight, fileFrames;
    float* inputs[2];
    float* outputs[2];

    BlockBuffers(std::size_t frames, int fileChannels)
        : inLeft(frames), inRight(frames), outLeft(frames), outRight(frames),
          fileFrames(frames * static_cast<std::size_t>(std::max(fileChannels, 2))),
          inputs{inLeft.data(), inRight.data()}, outputs{outLeft.data(), outRight.data()}
    {
    }

    // Splits the file's frames into the two inputs; a mono file feeds both.
    void takeInput(std::size_t frames, std::size_t available, int channels)
    {
        for (std::size_t i = 0; i < frames; ++i)
        {
            const bool fromFile = i < available;
            const std::size_t at = i * static_cast<std::size_t>(channels);
            inLeft[i] = fromFile ? fileFrames[at] : 0.0f;
            inRight[i] = fromFile ? fileFrames[at + (channels == 2 ? 1 : 0)] : 0.0f;
        }
    }

    void giveOutput(std::size_t frames)
    {
        for (std::size_t i = 0; i < frames; ++i)
        {
            fileFrames[2 * i] = outLeft[i];
            fileFrames[2 * i + 1] = outRight[i];
        }
    }
};

} // namespace

void installInterruptHandlers()
{
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

void render(const RenderOptions& options)
{
    // A NaN passes a range check; it would make the render empty.
    if (!(options.tailSeconds >= 0.0 && options.tailSeconds <= 3600.0))
        throw ToolError(ExitCode::usage, "--tail takes seconds from 0 to 3600, not " +
                                             std::to_string(options.tailSeconds));
    if (samePath(options.input, options.output))
        throw ToolError(ExitCode::usage, "the output would overwrite the input: " + options.output);
    SoundFile input = SoundFile::openForReading(options.input);
    if (input.channels() > 2)
        throw ToolError(ExitCode::audioFile, options.input + " has " +
                                                 std::to_string(input.channels()) +
                                                 " channels; the effect takes mono or stereo");
    const int format = outputFormat(options, input.format());

    PluginLibrary library(options.plugin);
    HostedEffect effect(library);
    checkProgram(effect, options.program);

    const double sampleRate = input.sampleRate();
    const std::int64_t inputFrames = input.frames();
    const std::int64_t totalFrames =
        inputFrames + static_cast<std::int64_t>(std::llround(options.tailSeconds * sampleRate));
    std::vector<TimedChange> changes;
    for (const auto& change : options.changes)
    {
        const std::int64_t frame = change.frame(sampleRate);
        if (frame >= totalFrames)
            throw ToolError(ExitCode::usage, "automation of '" + change.parameter +
                                                 "' falls at frame " + std::to_string(frame) +
                                                 ", beyond the end (" +
                                                 std::to_string(totalFrames) + " frames)");
        changes.push_back({frame, parameterIndex(effect, change.parameter), change.value});
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TimedChange& a, const TimedChange& b) { return a.frame < b.frame; });
    const auto settings = resolveSettings(effect, options.settings);

    OutputFile outputFile(options.output);
    SoundFile output = SoundFile::createForWriting(outputFile.releaseDescriptor(), options.output,
                                                   format, 2, input.sampleRate());

    startSession(effect, {sampleRate, options.blockFrames, options.program, settings});

    Progress progress(totalFrames, sampleRate, options.verbosity != Verbosity::quiet);
    BlockBuffers buffers(static_cast<std::size_t>(options.blockFrames), input.channels());
    std::size_t nextChange = 0;
    for (std::int64_t position = 0; position < totalFrames;)
    {
        if (interrupted)
            throw ToolError(ExitCode::interrupted, "interrupted; no output written");
        for (; nextChange < changes.size() && changes[nextChange].frame == position; ++nextChange)
            effect.setParameter(changes[nextChange].parameter, changes[nextChange].value);
        std::int64_t end = std::min(position + options.blockFrames, totalFrames);
        if (nextChange < changes.size())
            end = std::min(end, changes[nextChange].frame);
        const std::int64_t frames = end - position;

        const std::int64_t wanted = std::clamp<std::int64_t>(inputFrames - position, 0, frames);
        if (wanted > 0 && input.read(buffers.fileFrames.data(), wanted) != wanted)
            throw ToolError(ExitCode::audioFile, options.input + " ends before its stated length");
        buffers.takeInput(static_cast<std::size_t>(frames), static_cast<std::size_t>(wanted),
                          input.channels());
        if (options.accumulate)
        {
            std::fill(buffers.outLeft.begin(), buffers.outLeft.end(), 0.0f);
            std::fill(buffers.outRight.begin(), buffers.outRight.end(), 0.0f);
            effect.processAccumulate(buffers.inputs, buffers.outputs,
                                     static_cast<std::int32_t>(frames));
        }
        else
        {
            effect.processReplace(buffers.inputs, buffers.outputs,
                                  static_cast<std::int32_t>(frames));
        }
        buffers.giveOutput(static_cast<std::size_t>(frames));
        output.write(buffers.fileFrames.data(), frames);
        position = end;
        progress.update(position);
    }
    effect.suspend();
    effect.close();
    output.close();
    outputFile.commit();
    progress.finish();
    if (options.verbosity == Verbosity::verbose)
        std::fprintf(stderr, "%s: %lld frames at %g Hz through %s (%.1fx real time)\n",
                     options.output.c_str(), static_cast<long long>(totalFrames), sampleRate,
                     options.plugin.c_str(), progress.speed());
}

} // namespace sweepfilter::tool
