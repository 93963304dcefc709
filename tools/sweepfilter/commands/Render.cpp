#include "Render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <unistd.h>

#include "EffectSetup.h"
#include "ToolError.h"
#include "HostedPlugin.h"
#include "Interruption.h"
#include "OutputFile.h"
#include "OutputFormat.h"
#include "Progress.h"
#include "SoundFile.h"

namespace sweepfilter::tool
{

namespace
{

struct TimedChange
{
    std::int64_t frame;
    std::size_t parameter;
    double value;
    std::string name; // as the command line gave it
};

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

    // Splits the file's frames into the two inputs; a mono file feeds both. Non-finite
    // samples become zero (they are counted as they are read, and refused at the end unless
    // zero is asked for).
    void takeInput(std::size_t frames, std::size_t available, int channels)
    {
        const auto finite = [](float sample) { return std::isfinite(sample) ? sample : 0.0f; };
        for (std::size_t i = 0; i < frames; ++i)
        {
            const bool fromFile = i < available;
            const std::size_t at = i * static_cast<std::size_t>(channels);
            inLeft[i] = fromFile ? finite(fileFrames[at]) : 0.0f;
            inRight[i] = fromFile ? finite(fileFrames[at + (channels == 2 ? 1 : 0)]) : 0.0f;
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

// NaN and infinite input samples: how many, and the frame of the first.
struct NonFiniteSamples
{
    std::int64_t count = 0;
    std::int64_t firstFrame = -1;

    void look(const float* interleaved, std::int64_t frames, int channels, std::int64_t position)
    {
        const auto samples = static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels);
        for (std::size_t i = 0; i < samples; ++i)
            if (!std::isfinite(interleaved[i]) && count++ == 0)
                firstFrame =
                    position + static_cast<std::int64_t>(i / static_cast<std::size_t>(channels));
    }

    ToolError refusal(const std::string& input) const
    {
        return ToolError(ExitCode::audioFile,
                         input + " holds " + std::to_string(count) +
                             " non-finite samples (NaN or infinity), the first at frame " +
                             std::to_string(firstFrame) +
                             "; --zero-non-finite renders them as zero");
    }
};

} // namespace

void checkRenderOptions(const RenderOptions& options)
{
    // A NaN passes a range check; it would make the render empty.
    if (!(options.tailSeconds >= 0.0 && options.tailSeconds <= 3600.0))
        throw ToolError(ExitCode::usage, "--tail takes seconds from 0 to 3600, not " +
                                             std::to_string(options.tailSeconds));
    if (options.blockFrames < 1 || options.blockFrames > (1 << 20))
        throw ToolError(ExitCode::usage, "--block takes 1 to 1048576 frames, not " +
                                             std::to_string(options.blockFrames));
    OutputFile::checkPath(options.output);
    if (options.output == "-" && isatty(STDOUT_FILENO))
        throw ToolError(ExitCode::usage, "standard output is a terminal, not a place for audio: "
                                         "redirect it or name a file");
    containerFor(options.output, options.type, true);
    if (OutputFile::samePath(options.input, options.output))
        throw ToolError(ExitCode::usage, "the output would overwrite the input: " + options.output);
    if (options.tempo && !(*options.tempo > 0.0 && *options.tempo <= 1000.0))
        throw ToolError(ExitCode::usage, "--tempo takes beats per minute above 0, up to 1000");
    if (!std::isfinite(options.startBeat))
        throw ToolError(ExitCode::usage, "--beat takes a finite position in beats");
}

void render(const RenderOptions& options)
{
    checkRenderOptions(options);
    SoundFile input = SoundFile::openForReading(options.input);
    if (input.channels() > 2)
        throw ToolError(ExitCode::audioFile, options.input + " has " +
                                                 std::to_string(input.channels()) +
                                                 " channels; the effect takes mono or stereo");
    // A stream (a pipe) states a length it may not hold, or a placeholder: it is followed to
    // its end, and what depends on the length is checked there.
    const bool lengthKnown = input.lengthKnown();
    const auto noAudio = [&] {
        return ToolError(ExitCode::audioFile, "audio file " + options.input +
                                                  " holds no audio; --tail SECONDS renders the "
                                                  "effect's tail alone");
    };
    if (lengthKnown && input.frames() == 0 && options.tailSeconds == 0.0)
        throw noAudio();
    const auto plugin = host::openPlugin(options.plugin);
    checkProgram(*plugin, options.program);
    const double sampleRate = input.sampleRate();
    host::SessionFormat session{sampleRate, options.blockFrames, std::nullopt, options.accumulate};
    if (options.tempo)
        session.time = host::HostTime{*options.tempo, options.startBeat};
    checkSessionFormat(*plugin, session);

    const auto tailFrames =
        static_cast<std::int64_t>(std::llround(options.tailSeconds * sampleRate));
    constexpr std::int64_t untilTheEnd = INT64_MAX / 2;
    std::int64_t inputFrames = lengthKnown ? input.frames() : untilTheEnd;
    std::int64_t totalFrames = lengthKnown ? inputFrames + tailFrames : untilTheEnd;
    const auto beyondTheEnd = [&](const TimedChange& change) {
        return ToolError(ExitCode::usage, "--automate: the change of '" + change.name +
                                              "' falls at frame " + std::to_string(change.frame) +
                                              ", beyond the end (" + std::to_string(totalFrames) +
                                              " frames)");
    };
    std::vector<TimedChange> changes;
    for (const auto& change : options.changes)
    {
        const ResolvedValue resolved =
            resolveValue(*plugin, change.parameter, change.value, "--automate", change.argument);
        changes.push_back(
            {change.frame(sampleRate), resolved.parameter, resolved.value, change.parameter});
        if (changes.back().frame >= totalFrames)
            throw beyondTheEnd(changes.back());
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TimedChange& a, const TimedChange& b) { return a.frame < b.frame; });
    const auto settings = resolveSettings(*plugin, options.settings);

    const Container& container =
        containerFor(options.output, options.type, !OutputFile::isStream(options.output));
    const int format =
        outputFormat(container, options.format, input.format(), 2, input.sampleRate());
    if (lengthKnown)
        checkOutputSize(container, format, 2, totalFrames);
    OutputFile outputFile(options.output);
    SoundFile output = SoundFile::createForWriting(outputFile, format, 2, input.sampleRate());

    startSession(*plugin, {session, options.program, settings});

    Progress progress(lengthKnown ? totalFrames : 0, sampleRate,
                      options.verbosity != Verbosity::quiet);
    BlockBuffers buffers(static_cast<std::size_t>(options.blockFrames), input.channels());
    NonFiniteSamples nonFinite;
    std::size_t nextChange = 0;
    for (std::int64_t position = 0; position < totalFrames;)
    {
        throwIfInterrupted(outputFile.seekable() ? "no output written" : "the output is cut short");
        for (; nextChange < changes.size() && changes[nextChange].frame == position; ++nextChange)
            plugin->set(changes[nextChange].parameter, changes[nextChange].value);
        std::int64_t end = std::min(position + options.blockFrames, totalFrames);
        if (nextChange < changes.size())
            end = std::min(end, changes[nextChange].frame);
        std::int64_t frames = end - position;

        std::int64_t wanted = std::clamp<std::int64_t>(inputFrames - position, 0, frames);
        if (const std::int64_t got = wanted > 0 ? input.read(buffers.fileFrames.data(), wanted) : 0;
            got != wanted)
        {
            if (lengthKnown)
                throw ToolError(ExitCode::audioFile,
                                options.input + " ends before its stated length");
            // The stream has ended: the tail follows.
            inputFrames = position + got;
            totalFrames = inputFrames + tailFrames;
            wanted = got;
            end = std::min(end, totalFrames);
            frames = end - position;
        }
        nonFinite.look(buffers.fileFrames.data(), wanted, input.channels(), position);
        buffers.takeInput(static_cast<std::size_t>(frames), static_cast<std::size_t>(wanted),
                          input.channels());
        if (options.accumulate)
        {
            std::fill(buffers.outLeft.begin(), buffers.outLeft.end(), 0.0f);
            std::fill(buffers.outRight.begin(), buffers.outRight.end(), 0.0f);
        }
        plugin->process(buffers.inputs, buffers.outputs, static_cast<std::int32_t>(frames));
        buffers.giveOutput(static_cast<std::size_t>(frames));
        output.write(buffers.fileFrames.data(), frames);
        position = end;
        progress.update(position);
    }
    plugin->stop();
    if (!lengthKnown)
    {
        if (totalFrames == 0)
            throw noAudio();
        if (nextChange < changes.size())
            throw beyondTheEnd(changes[nextChange]);
        if (input.frames() != inputFrames)
            std::fprintf(stderr,
                         "sweepfilter: the header of %s states %lld frames; the stream held "
                         "%lld, all rendered\n",
                         options.input.c_str(), static_cast<long long>(input.frames()),
                         static_cast<long long>(inputFrames));
    }
    if (nonFinite.count > 0 && !options.zeroNonFinite)
        throw nonFinite.refusal(options.input);
    output.close();
    progress.finish();
    if (nonFinite.count > 0)
        std::fprintf(stderr,
                     "sweepfilter: rendered %lld non-finite input samples as zero, the first at "
                     "frame %lld\n",
                     static_cast<long long>(nonFinite.count),
                     static_cast<long long>(nonFinite.firstFrame));
    if (options.verbosity == Verbosity::verbose)
        std::fprintf(stderr, "%s: %lld frames at %g Hz through %s (%.1fx real time)\n",
                     options.output.c_str(), static_cast<long long>(totalFrames), sampleRate,
                     options.plugin.c_str(), progress.speed());
}

} // namespace sweepfilter::tool
