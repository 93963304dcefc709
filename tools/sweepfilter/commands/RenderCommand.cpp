#include <memory>

#include "CommandOptions.h"
#include "Commands.h"
#include "Render.h"

namespace sweepfilter::tool
{

void addRenderCommand(CLI::App& app, Work& work)
{
    struct Options
    {
        RenderOptions render;
        std::vector<std::string> settings, changes;
    };
    auto options = std::make_shared<Options>();
    RenderOptions& render = options->render;
    auto* command = app.add_subcommand("render", "Run an audio file through a plug-in");
    command->add_option("IN", render.input, "Input audio file (mono or stereo)")->required();
    command
        ->add_option("OUT", render.output,
                     "Output audio file, or - for standard output (as AU unless --type says "
                     "otherwise). A regular file is replaced only once complete and keeps its "
                     "permissions; a device or FIFO is written directly")
        ->required();
    addPluginOption(*command, render.plugin);
    const auto verbosity = addVerbosityFlags(*command);
    command->add_option("--program", render.program, "Program to select first")
        ->check(givenNumber());
    command->add_option("--set", options->settings, setHelp);
    command->add_option("--automate", options->changes,
                        "PARAM@TIME=VALUE: change a parameter at TIME (seconds like 1.5 or "
                        "1.5s, or samples like 66150smp)");
    command->add_option("--block", render.blockFrames, "Frames per process call (1 to 1048576)")
        ->check(givenNumber())
        ->capture_default_str();
    command->add_flag("--accumulate", render.accumulate,
                      "Use the accumulating process entry on zeroed outputs");
    command
        ->add_option("--tail", render.tailSeconds,
                     "Seconds (0 to 3600) of silence after the input, to let the effect ring out")
        ->check(givenNumber());
    command
        ->add_option("--format", render.format,
                     "Output samples: float, pcm16, pcm24, pcm32, or input (the input's "
                     "encoding); lossy containers (mp3, ogg, opus) use their codec")
        ->check(CLI::IsMember({"float", "pcm16", "pcm24", "pcm32", "input"}))
        ->capture_default_str();
    command->add_option("--type", render.type,
                        "Output container by extension (wav, flac, au, ogg, mp3, ...) when not "
                        "OUT's extension; needed for - unless AU suits");
    command->add_flag("--zero-non-finite", render.zeroNonFinite,
                      "Render NaN and infinite input samples as zero (without it, such an "
                      "input is refused)");
    auto* tempo = command
                      ->add_option("--tempo", render.tempo,
                                   "BPM: give an LV2 or CLAP plug-in the host's time, a transport "
                                   "rolling at this tempo (its Sync set to Host follows it)")
                      ->check(givenNumber());
    command
        ->add_option("--beat", render.startBeat,
                     "The transport's position at the input's first frame, in beats (default 0)")
        ->check(givenNumber())
        ->needs(tempo);
    command->callback([&work, options, verbosity] {
        RenderOptions& parsed = options->render;
        parsed.settings = parseSettings(options->settings);
        for (const auto& change : options->changes)
            parsed.changes.push_back(parseChange(change));
        parsed.verbosity = *verbosity;
        checkRenderOptions(parsed);
        work = [options] { tool::render(options->render); };
    });
}

} // namespace sweepfilter::tool
