// sweepfilter: a command-line host for plug-ins of this interface, and the effect's demo.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

#include "Demo.h"
#include "HostError.h"
#include "Info.h"
#include "PluginLibrary.h"
#include "Render.h"
#include "Response.h"
#include "TimeFrequencyPicture.h"

using namespace sweepfilter;

namespace
{

struct Arguments
{
    std::string plugin = host::PluginLibrary::besideExecutable();
    bool json = false;
    bool quiet = false;
    bool verbose = false;
    std::vector<std::string> settings;
    std::vector<std::string> changes;
    std::string demoFolder = "demo-output";
    tool::RenderOptions render;
    tool::ResponseOptions response;
    std::string spectrogramInput, spectrogramPicture, channel = "left";
};

void addPluginOption(CLI::App& command, Arguments& arguments)
{
    command.add_option("--plugin", arguments.plugin, "Plug-in library to load")
        ->capture_default_str();
}

void addVerbosityFlags(CLI::App& command, Arguments& arguments)
{
    auto* quiet = command.add_flag("-q,--quiet", arguments.quiet, "No progress output");
    command.add_flag("-v,--verbose", arguments.verbose, "Report what was done")->excludes(quiet);
}

tool::Verbosity verbosityOf(const Arguments& arguments)
{
    if (arguments.quiet)
        return tool::Verbosity::quiet;
    return arguments.verbose ? tool::Verbosity::verbose : tool::Verbosity::normal;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"sweepfilter: run audio files through a plug-in of this interface, show what "
                 "a plug-in offers, or hear the sweepfilter effect in a demo."};
    app.footer("Exit codes: 0 done, 2 bad command line, 3 audio file problem, 4 plug-in "
               "problem, 130 interrupted.");
    app.require_subcommand(1);
    Arguments arguments;

    auto* info = app.add_subcommand("info", "Show a plug-in's record, programs and parameters");
    addPluginOption(*info, arguments);
    info->add_flag("--json", arguments.json, "Print JSON for scripts");

    auto* render = app.add_subcommand("render", "Run an audio file through a plug-in");
    auto& options = arguments.render;
    render->add_option("IN", options.input, "Input audio file (mono or stereo)")->required();
    render->add_option("OUT", options.output, "Output audio file")->required();
    addPluginOption(*render, arguments);
    addVerbosityFlags(*render, arguments);
    render->add_option("--program", options.program, "Program to select first");
    render->add_option("--set", arguments.settings,
                       "PARAM=VALUE: set a parameter (index or name) to VALUE in 0..1");
    render->add_option("--automate", arguments.changes,
                       "PARAM@TIME=VALUE: change a parameter at TIME (seconds like 1.5 or 1.5s, "
                       "or samples like 66150smp)");
    render->add_option("--block", options.blockFrames, "Frames per process call")
        ->check(CLI::Range(1, 1 << 20))
        ->capture_default_str();
    render->add_flag("--accumulate", options.accumulate,
                     "Use the accumulating process entry on zeroed outputs");
    render
        ->add_option("--tail", options.tailSeconds,
                     "Seconds of silence after the input, to let the effect ring out")
        ->check(CLI::Range(0.0, 3600.0));
    render
        ->add_option("--format", options.format,
                     "Output samples: float, pcm16, pcm24, pcm32, or input (the input's "
                     "container and encoding); the container follows OUT's extension")
        ->check(CLI::IsMember({"float", "pcm16", "pcm24", "pcm32", "input"}))
        ->capture_default_str();

    auto* response = app.add_subcommand(
        "response", "Plot the magnitude response of a plug-in's effect (sweep and send held off "
                    "unless set)");
    addPluginOption(*response, arguments);
    response->add_option("--program", arguments.response.program, "Program to select first");
    response->add_option("--set", arguments.settings,
                         "PARAM=VALUE: set a parameter, VALUE in 0..1");
    response->add_option("-o,--output", arguments.response.picture, "FILE.png or FILE.svg");
    response->add_option("--csv", arguments.response.csv, "Also (or only) write the numbers");

    auto* spectrogram = app.add_subcommand("spectrogram", "Draw the spectrogram of an audio file");
    spectrogram->add_option("IN", arguments.spectrogramInput, "Audio file")->required();
    spectrogram->add_option("-o,--output", arguments.spectrogramPicture, "FILE.png or FILE.svg")
        ->required();
    spectrogram->add_option("--channel", arguments.channel, "left, right or mid")
        ->check(CLI::IsMember({"left", "right", "mid"}))
        ->capture_default_str();

    auto* demo = app.add_subcommand("demo", "Render a built-in test signal through a few "
                                            "settings and write WAV files");
    demo->add_option("OUTDIR", arguments.demoFolder, "Folder for the files")->capture_default_str();
    addPluginOption(*demo, arguments);
    addVerbosityFlags(*demo, arguments);

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::CallForHelp& help)
    {
        return app.exit(help);
    }
    catch (const CLI::ParseError& error)
    {
        app.exit(error);
        return static_cast<int>(host::Problem::usage);
    }

    try
    {
        tool::installInterruptHandlers();
        if (*info)
        {
            tool::printInfo(arguments.plugin, arguments.json);
        }
        else if (*render)
        {
            for (const auto& setting : arguments.settings)
                options.settings.push_back(tool::parseSetting(setting));
            for (const auto& change : arguments.changes)
                options.changes.push_back(tool::parseChange(change));
            options.plugin = arguments.plugin;
            options.verbosity = verbosityOf(arguments);
            tool::render(options);
        }
        else if (*response)
        {
            for (const auto& setting : arguments.settings)
                arguments.response.settings.push_back(tool::parseSetting(setting));
            arguments.response.plugin = arguments.plugin;
            tool::writeResponse(arguments.response);
        }
        else if (*spectrogram)
        {
            const auto channel = arguments.channel == "right" ? tool::ChannelChoice::right
                                 : arguments.channel == "mid" ? tool::ChannelChoice::mid
                                                              : tool::ChannelChoice::left;
            tool::writeSpectrogram(arguments.spectrogramInput, arguments.spectrogramPicture,
                                   channel);
        }
        else if (*demo)
        {
            tool::runDemo(arguments.demoFolder, arguments.plugin, verbosityOf(arguments));
        }
        return 0;
    }
    catch (const host::HostError& error)
    {
        std::fprintf(stderr, "sweepfilter: %s\n", error.what());
        return static_cast<int>(error.problem());
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "sweepfilter: %s\n", error.what());
        return 1;
    }
}
