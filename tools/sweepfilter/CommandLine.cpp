#include "CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "Demo.h"
#include "HostedEffect.h"
#include "Info.h"
#include "OutputFile.h"
#include "Picture.h"
#include "PluginError.h"
#include "PluginLibrary.h"
#include "Render.h"
#include "Response.h"
#include "TimeFrequencyPicture.h"
#include "ToolError.h"

namespace sweepfilter::tool
{
namespace
{

void addPluginOption(CLI::App& command, std::string& plugin)
{
    plugin = host::PluginLibrary::defaultPath();
    command
        .add_option("--plugin", plugin,
                    "The plug-in: a 2.0 library file (a bare name is in the current folder), an "
                    "LV2 bundle folder or an installed LV2 plug-in's URI, or a .clap file")
        ->capture_default_str();
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

constexpr const char* setHelp =
    "PARAM=VALUE: set a parameter (index, symbol or name) to VALUE, a number in the plug-in's "
    "own values (0..1 for a 2.0 plug-in; the units and range info shows for LV2 and CLAP) or a "
    "value's name (hard, Host)";

// Numbers must be given: CLI11 alone would read an empty argument as 0.
const CLI::Validator givenNumber(
    [](std::string& value) {
        return value.empty() ? std::string("an empty value is not a number") : std::string();
    },
    "NUMBER", "given");

std::vector<ParameterSetting> parseSettings(const std::vector<std::string>& arguments)
{
    std::vector<ParameterSetting> settings;
    for (const auto& argument : arguments)
        settings.push_back(parseSetting(argument));
    return settings;
}

// The tool's and the plug-in's versions; a plug-in that does not load is named as such.
void printVersions()
{
    std::printf("sweepfilter %s\n", SWEEPFILTER_TOOL_VERSION);
    const std::string path = host::PluginLibrary::defaultPath();
    try
    {
        host::PluginLibrary library(path);
        host::HostedEffect effect(library);
        effect.open();
        std::printf("plug-in %s: version %d, unique id '%s'\n", path.c_str(),
                    effect.record().version,
                    host::fourCharacterText(effect.record().uniqueId).c_str());
    }
    catch (const host::PluginError& error)
    {
        std::printf("plug-in %s: not usable (%s)\n", path.c_str(), error.what());
    }
}

std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
    {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j)
        {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The candidate closest to `name`, when it is close enough to be a slip of the fingers.
std::string nearest(const std::string& name, const std::vector<std::string>& candidates)
{
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, name.size() / 3) + 1;
    for (const auto& candidate : candidates)
        if (const std::size_t distance = editDistance(name, candidate); distance < bestDistance)
        {
            best = candidate;
            bestDistance = distance;
        }
    return best;
}

} // namespace

CommandLine::CommandLine()
    : app_("sweepfilter: run audio files through a plug-in of this interface, show what a "
           "plug-in offers, or hear the sweepfilter effect in a demo.")
{
    app_.footer("Exit codes: 0 done, 2 bad command line, 3 audio file problem, 4 plug-in "
                "problem, 128 + N ended by signal N (130 SIGINT, 143 SIGTERM).");
    app_.require_subcommand(1);
    app_.add_flag_callback(
        "--version",
        [] {
            printVersions();
            throw CLI::Success();
        },
        "Print the tool's and the plug-in's versions");

    setupInfo();
    setupRender();
    setupResponse();
    setupSpectrogram();
    setupDemo();
}

std::function<void()> CommandLine::parse(std::vector<std::string> arguments)
{
    arguments_ = arguments;
    work_ = nullptr;
    std::reverse(arguments.begin(), arguments.end()); // CLI11 takes them last first
    app_.parse(arguments);
    return work_;
}

void CommandLine::setupInfo()
{
    struct Options
    {
        std::string plugin;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    auto* command = app_.add_subcommand("info", "Show a plug-in's record, programs and parameters");
    addPluginOption(*command, options->plugin);
    command->add_flag("--json", options->json, "Print JSON for scripts");
    command->callback(
        [this, options] { work_ = [options] { printInfo(options->plugin, options->json); }; });
}

void CommandLine::setupRender()
{
    struct Options
    {
        RenderOptions render;
        std::vector<std::string> settings, changes;
    };
    auto options = std::make_shared<Options>();
    RenderOptions& render = options->render;
    auto* command = app_.add_subcommand("render", "Run an audio file through a plug-in");
    command->add_option("IN", render.input, "Input audio file (mono or stereo)")->required();
    command
        ->add_option("OUT", render.output,
                     "Output audio file, or - for standard output (as AU unless --type says "
                     "otherwise). A regular file is replaced only once complete and keeps its "
                     "permissions; a device or FIFO is written directly")
        ->required();
    addPluginOption(*command, render.plugin);
    const auto verbosity = addVerbosityFlags(*command);
    command->add_option("--program", render.program, "Program to select first")->check(givenNumber);
    command->add_option("--set", options->settings, setHelp);
    command->add_option("--automate", options->changes,
                        "PARAM@TIME=VALUE: change a parameter at TIME (seconds like 1.5 or "
                        "1.5s, or samples like 66150smp)");
    command->add_option("--block", render.blockFrames, "Frames per process call (1 to 1048576)")
        ->check(givenNumber)
        ->capture_default_str();
    command->add_flag("--accumulate", render.accumulate,
                      "Use the accumulating process entry on zeroed outputs");
    command
        ->add_option("--tail", render.tailSeconds,
                     "Seconds (0 to 3600) of silence after the input, to let the effect ring out")
        ->check(givenNumber);
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
                      ->check(givenNumber);
    command
        ->add_option("--beat", render.startBeat,
                     "The transport's position at the input's first frame, in beats (default 0)")
        ->check(givenNumber)
        ->needs(tempo);
    command->callback([this, options, verbosity] {
        RenderOptions& parsed = options->render;
        parsed.settings = parseSettings(options->settings);
        for (const auto& change : options->changes)
            parsed.changes.push_back(parseChange(change));
        parsed.verbosity = *verbosity;
        checkRenderOptions(parsed);
        work_ = [options] { tool::render(options->render); };
    });
}

void CommandLine::setupResponse()
{
    struct Options
    {
        ResponseOptions response;
        std::vector<std::string> settings;
    };
    auto options = std::make_shared<Options>();
    ResponseOptions& response = options->response;
    auto* command = app_.add_subcommand(
        "response", "Plot the magnitude response of a plug-in's effect (sweep and send held off "
                    "unless set)");
    addPluginOption(*command, response.plugin);
    command->add_option("--program", response.program, "Program to select first")
        ->check(givenNumber);
    command->add_option("--set", options->settings, setHelp);
    command->add_option("-o,--output", response.picture, "FILE.png or FILE.svg");
    command->add_option("--csv", response.csv, "Also (or only) write the numbers");
    command->callback([this, options] {
        ResponseOptions& parsed = options->response;
        parsed.settings = parseSettings(options->settings);
        checkResponseOptions(parsed);
        work_ = [options] { writeResponse(options->response); };
    });
}

void CommandLine::setupSpectrogram()
{
    struct Options
    {
        std::string input, picture, channel = "left";
    };
    auto options = std::make_shared<Options>();
    auto* command = app_.add_subcommand("spectrogram", "Draw the spectrogram of an audio file");
    command->add_option("IN", options->input, "Audio file")->required();
    command->add_option("-o,--output", options->picture, "FILE.png or FILE.svg")->required();
    command->add_option("--channel", options->channel, "left, right or mid")
        ->check(CLI::IsMember({"left", "right", "mid"}))
        ->capture_default_str();
    command->callback([this, options] {
        Picture::checkPath(options->picture);
        const ChannelChoice channel = options->channel == "right" ? ChannelChoice::right
                                      : options->channel == "mid" ? ChannelChoice::mid
                                                                  : ChannelChoice::left;
        work_ = [options, channel] { writeSpectrogram(options->input, options->picture, channel); };
    });
}

void CommandLine::setupDemo()
{
    struct Options
    {
        std::string folder = "demo-output", plugin;
    };
    auto options = std::make_shared<Options>();
    auto* command = app_.add_subcommand(
        "demo", "Render a built-in test signal through a few settings and write WAV files");
    command->add_option("OUTDIR", options->folder, "Folder for the files")->capture_default_str();
    addPluginOption(*command, options->plugin);
    const auto verbosity = addVerbosityFlags(*command);
    command->callback([this, options, verbosity] {
        if (options->folder.empty())
            throw ToolError(ExitCode::usage, "the demo's folder is empty");
        work_ = [options, verbosity] { runDemo(options->folder, options->plugin, *verbosity); };
    });
}

std::string CommandLine::nearestNameHint() const
{
    std::vector<std::string> subcommands;
    for (const auto* subcommand : app_.get_subcommands([](const CLI::App*) { return true; }))
        subcommands.push_back(subcommand->get_name());
    const CLI::App* chosen = nullptr;
    for (const auto& argument : arguments_)
    {
        if (argument.starts_with("-"))
        {
            const std::string name = argument.substr(0, argument.find('='));
            const CLI::App* scope = chosen ? chosen : &app_;
            if (argument == "-" || scope->get_option_no_throw(name) ||
                app_.get_option_no_throw(name) ||
                argument.find_first_not_of("-.0123456789") == std::string::npos)
                continue;
            std::vector<std::string> names;
            for (const auto* option : scope->get_options())
                for (const auto& longName : option->get_lnames())
                    names.push_back("--" + longName);
            const std::string near = nearest(name, names);
            return "unknown option '" + name + "'" +
                   (chosen ? " for " + chosen->get_name() : std::string()) +
                   (near.empty() ? "" : "; did you mean '" + near + "'?");
        }
        if (chosen)
            continue;
        if (std::find(subcommands.begin(), subcommands.end(), argument) != subcommands.end())
        {
            chosen = app_.get_subcommand(argument);
            continue;
        }
        const std::string near = nearest(argument, subcommands);
        return "unknown subcommand '" + argument + "'" +
               (near.empty() ? "" : "; did you mean '" + near + "'?");
    }
    return {};
}

int CommandLine::exit(const CLI::Error& error)
{
    const bool isParseFailure = error.get_exit_code() != 0 &&
                                !dynamic_cast<const CLI::CallForHelp*>(&error) &&
                                !dynamic_cast<const CLI::CallForAllHelp*>(&error);
    if (isParseFailure)
        if (const std::string hint = nearestNameHint(); !hint.empty())
        {
            std::fprintf(stderr, "sweepfilter: %s\nRun with --help for more information.\n",
                         hint.c_str());
            return static_cast<int>(ExitCode::usage);
        }
    const int code = app_.exit(error);
    return isParseFailure ? static_cast<int>(ExitCode::usage) : code;
}

} // namespace sweepfilter::tool
