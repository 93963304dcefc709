#include <memory>

#include "CommandOptions.h"
#include "Commands.h"
#include "Demo.h"
#include "ToolError.h"

namespace sweepfilter::tool
{

void addDemoCommand(CLI::App& app, Work& work)
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
    command->callback([&work, options, verbosity] {
        if (options->folder.empty())
            throw ToolError(ExitCode::usage, "the demo's folder is empty");
        work = [options, verbosity] { runDemo(options->folder, options->plugin, *verbosity); };
    });
}

} // namespace sweepfilter::tool
