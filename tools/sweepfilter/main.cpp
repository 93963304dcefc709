// sweepfilter: a command-line host for plug-ins of this interface, and the effect's demo.
// Each subcommand is set up by a function of its own: its options, and a callback that runs
// it once the command line has parsed.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <memory>

#include "Demo.h"
#include "Info.h"
#include "PluginError.h"
#include "PluginLibrary.h"
#include "Render.h"
#include "Response.h"
#include "TimeFrequencyPicture.h"
#include "ToolError.h"

using namespace sweepfilter;
using namespace sweepfilter::tool;

namespace
{

void addPluginOption(CLI::App& command, std::string& plugin)
{
    plugin = host::PluginLibrary::besideExecutable();
    command.add_option("--plugin", plugin, "Plug-in library to load")->capture_default_str();
}

// -q and -v, read through the returned verbosity once parsing is done.
std::shared_ptr<Verbosity> addVerbosityFlags(CLI::App& command)
{
    auto verbosity = std::make_shared<Verbosity>(Verbosity::normal);
    auto* quiet = command.add_flag_callback(
        "-q,--quiet", [verbosity] { *verbosity = Verbosity::quiet; }, "No progress output");
    command
        .add_flag_callback(
            "-v,--verbose", [verbosity] { *verbosity = Verbosity::verbose; },
            "Report what was done")
        ->excludes(quiet);
    return verbosity;
}

std::vector<ParameterSetting> parseSettings(const std::vector<std::string>& arguments)
{
    std::vector<ParameterSetting> settings;
    for (const auto& argument : arguments)
        settings.push_back(parseSetting(argument));
    return settings;
}

void setupInfo(CLI::App& app)
{
    struct Options
    {
        std::string plugin;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("info", "Show a plug-in's record, programs and parameters");
    addPluginOption(*command, options->plugin);
    command->add_flag("--json", options->json, "Print JSON for scripts");
    command->callback([options] { printInfo(options->plugin, options->json); });
}

void setupRender(CLI::App& app)
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
    command->add_option("OUT", render.output, "Output audio file")->required();
    addPluginOption(*command, render.plugin);
    const auto verbosity = addVerbosityFlags(*command);
    command->add_option("--program", render.program, "Program to select first");
    command->add_option("--set", options->settings,
                        "PARAM=VALUE: set a parameter (index or name) to VALUE in 0..1");
    command->add_option("--automate", options->changes,
                        "PARAM@TIME=VALUE: change a parameter at TIME (seconds like 1.5 or "
                        "1.5s, or samples like 66150smp)");
    command->add_option("--block", render.blockFrames, "Frames per process call")
        ->check(CLI::Range(1, 1 << 20))
        ->capture_default_str();
    command->add_flag("--accumulate", render.accumulate,
                      "Use the accumulating process entry on zeroed outputs");
    command
        ->add_option("--tail", render.tailSeconds,
                     "Seconds of silence after the input, to let the effect ring out")
        ->check(CLI::Range(0.0, 3600.0));
    command
        ->add_option("--format", render.format,
                     "Output samples: float, pcm16, pcm24, pcm32, or input (the input's "
                     "container and encoding); the container follows OUT's extension")
        ->check(CLI::IsMember({"float", "pcm16", "pcm24", "pcm32", "input"}))
        ->capture_default_str();
    command->callback([options, verbosity] {
        RenderOptions& parsed = options->render;
        parsed.settings = parseSettings(options->settings);
        for (const auto& change : options->changes)
            parsed.changes.push_back(parseChange(change));
        parsed.verbosity = *verbosity;
        tool::render(parsed);
    });
}

void setupResponse(CLI::App& app)
{
    struct Options
    {
        ResponseOptions response;
        std::vector<std::string> settings;
    };
    auto options = std::make_shared<Options>();
    ResponseOptions& response = options->response;
    auto* command = app.add_subcommand(
        "response", "Plot the magnitude response of a plug-in's effect (sweep and send held off "
                    "unless set)");
    addPluginOption(*command, response.plugin);
    command->add_option("--program", response.program, "Program to select first");
    command->add_option("--set", options->settings, "PARAM=VALUE: set a parameter, VALUE in 0..1");
    command->add_option("-o,--output", response.picture, "FILE.png or FILE.svg");
    command->add_option("--csv", response.csv, "Also (or only) write the numbers");
    command->callback([options] {
        options->response.settings = parseSettings(options->settings);
        writeResponse(options->response);
    });
}

void setupSpectrogram(CLI::App& app)
{
    struct Options
    {
        std::string input, picture, channel = "left";
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("spectrogram", "Draw the spectrogram of an audio file");
    command->add_option("IN", options->input, "Audio file")->required();
    command->add_option("-o,--output", options->picture, "FILE.png or FILE.svg")->required();
    command->add_option("--channel", options->channel, "left, right or mid")
        ->check(CLI::IsMember({"left", "right", "mid"}))
        ->capture_default_str();
    command->callback([options] {
        const ChannelChoice channel = options->channel == "right" ? ChannelChoice::right
                                      : options->channel == "mid" ? ChannelChoice::mid
                                                                  : ChannelChoice::left;
        writeSpectrogram(options->input, options->picture, channel);
    });
}

void setupDemo(CLI::App& app)
{
    struct Options
    {
        std::string folder = "demo-output", plugin;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand(
        "demo", "Render a built-in test signal through a few settings and write WAV files");
    command->add_option("OUTDIR", options->folder, "Folder for the files")->capture_default_str();
    addPluginOption(*command, options->plugin);
    const auto verbosity = addVerbosityFlags(*command);
    command->callback(
        [options, verbosity] { runDemo(options->folder, options->plugin, *verbosity); });
}

int report(const char* message, ExitCode code)
{
    std::fprintf(stderr, "sweepfilter: %s\n", message);
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"sweepfilter: run audio files through a plug-in of this interface, show what "
                 "a plug-in offers, or hear the sweepfilter effect in a demo."};
    app.footer("Exit codes: 0 done, 2 bad command line, 3 audio file problem, 4 plug-in "
               "problem, 130 interrupted.");
    app.require_subcommand(1);
    setupInfo(app);
    setupRender(app);
    setupResponse(app);
    setupSpectrogram(app);
    setupDemo(app);

    try
    {
        installInterruptHandlers();
        app.parse(argc, argv);
        return 0;
    }
    catch (const CLI::CallForHelp& help)
    {
        return app.exit(help);
    }
    catch (const CLI::ParseError& error)
    {
        app.exit(error);
        return static_cast<int>(ExitCode::usage);
    }
    catch (const ToolError& error)
    {
        return report(error.what(), error.code());
    }
    catch (const host::PluginError& error)
    {
        return report(error.what(), ExitCode::plugin);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "sweepfilter: %s\n", error.what());
        return 1;
    }
}
