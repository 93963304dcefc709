#include <memory>

#include "CommandOptions.h"
#include "Commands.h"
#include "Info.h"

namespace sweepfilter::tool
{

void addInfoCommand(CLI::App& app, Work& work)
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
    command->callback(
        [&work, options] { work = [options] { printInfo(options->plugin, options->json); }; });
}

} // namespace sweepfilter::tool
