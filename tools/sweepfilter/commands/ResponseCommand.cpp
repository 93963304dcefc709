#include <memory>

#include "CommandOptions.h"
#include "Commands.h"
#include "Response.h"

namespace sweepfilter::tool
{

void addResponseCommand(CLI::App& app, Work& work)
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
    command->add_option("--program", response.program, "Program to select first")
        ->check(givenNumber());
    command->add_option("--set", options->settings, setHelp);
    command->add_option("-o,--output", response.picture, "FILE.png or FILE.svg");
    command->add_option("--csv", response.csv, "Also (or only) write the numbers");
    command->callback([&work, options] {
        ResponseOptions& parsed = options->response;
        parsed.settings = parseSettings(options->settings);
        checkResponseOptions(parsed);
        work = [options] { writeResponse(options->response); };
    });
}

} // namespace sweepfilter::tool
