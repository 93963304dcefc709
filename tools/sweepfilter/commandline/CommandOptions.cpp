#include "CommandOptions.h"

#include "PluginLibrary.h"

namespace sweepfilter::tool
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

const char* const setHelp =
    "PARAM=VALUE: set a parameter (index, symbol or name) to VALUE, a number in the plug-in's "
    "own values (0..1 for a 2.0 plug-in; the units and range info shows for LV2 and CLAP) or a "
    "value's name (hard, Host)";

CLI::Validator givenNumber()
{
    return CLI::Validator(
        [](std::string& value) {
            return value.empty() ? std::string("an empty value is not a number") : std::string();
        },
        "NUMBER", "given");
}

std::vector<ParameterSetting> parseSettings(const std::vector<std::string>& arguments)
{
    std::vector<ParameterSetting> settings;
    for (const auto& argument : arguments)
        settings.push_back(parseSetting(argument));
    return settings;
}

} // namespace sweepfilter::tool
