#include "Info.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "HostedEffect.h"
#include "HostedPlugin.h"
#include "Interface20Plugin.h"

namespace sweepfilter::tool
{
using host::HostedEffect;

namespace
{

std::vector<std::string> flagNames(std::int32_t flags)
{
    const std::pair<std::int32_t, const char*> names[] = {
        {effectflag::hasClip, "has clip"},
        {effectflag::hasMeter, "has meter"},
        {effectflag::canMono, "can mono"},
        {effectflag::canReplace, "can replace"},
        {effectflag::programsAreStateBlocks, "programs are state blocks"}};
    std::vector<std::string> set;
    for (auto [bit, name] : names)
        if (flags & bit)
            set.emplace_back(name);
    return set;
}

struct ParameterFacts
{
    std::string name, label, display;
    float value;
};

constexpr const char* interface20Values = "0 to 1 for every parameter";
constexpr const char* ownValues = "in each parameter's own units, from its minimum to its maximum";

// An LV2 or CLAP plug-in: its identity and its parameters in their own units.
void printPluginInfo(host::HostedPlugin& plugin, bool json)
{
    const std::string standard = plugin.standard();
    const char* idName = standard == "LV2" ? "uri" : "id";
    const auto& parameters = plugin.parameters();
    if (json)
    {
        nlohmann::json out = {{"plugin", plugin.path()},   {"standard", standard},
                              {idName, plugin.identity()}, {"name", plugin.name()},
                              {"values", ownValues},       {"parameters", nlohmann::json::array()}};
        for (std::size_t i = 0; i < parameters.size(); ++i)
            out["parameters"].push_back({{"index", i},
                                         {"symbol", parameters[i].symbol},
                                         {"name", parameters[i].name},
                                         {"unit", parameters[i].unit},
                                         {"minimum", parameters[i].minimum},
                                         {"maximum", parameters[i].maximum},
                                         {"default", parameters[i].defaultValue},
                                         {"value", plugin.value(i)},
                                         {"display", plugin.valueText(i)}});
        std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return;
    }
    std::printf("plug-in     %s\n", plugin.path().c_str());
    std::printf("standard    %s\n", standard.c_str());
    std::printf("%-11s %s\n", idName, plugin.identity().c_str());
    std::printf("name        %s\n", plugin.name().c_str());
    std::printf("values      %s\n", ownValues);
    std::printf("parameters  %zu\n", parameters.size());
    std::printf("  %-5s %-15s %-15s %-15s %-9s %-9s %s\n", "index", "symbol", "name", "value",
                "minimum", "maximum", "default");
    for (std::size_t i = 0; i < parameters.size(); ++i)
    {
        const auto& p = parameters[i];
        std::printf("  %-5zu %-15s %-15s %-15s %-9.6g %-9.6g %.6g\n", i, p.symbol.c_str(),
                    p.name.c_str(), plugin.valueText(i).c_str(), p.minimum, p.maximum,
                    p.defaultValue);
    }
}

} // namespace

void printInfo(const std::string& pluginPath, bool json)
{
    const auto plugin = host::openPlugin(pluginPath);
    auto* interface20 = dynamic_cast<host::Interface20Plugin*>(plugin.get());
    if (!interface20)
        return printPluginInfo(*plugin, json);
    HostedEffect& effect = interface20->effect();
    const EffectRecord record = effect.record();

    const std::vector<std::string> programs = plugin->programs();
    std::vector<ParameterFacts> parameters;
    for (std::int32_t i = 0; i < effect.parameterCount(); ++i)
        parameters.push_back({effect.parameterName(i), effect.parameterLabel(i),
                              effect.parameterDisplay(i), effect.getParameter(i)});
    effect.close();

    if (json)
    {
        nlohmann::json out = {
            {"plugin", pluginPath},
            {"standard", "2.0"},
            {"values", interface20Values},
            {"uniqueId", host::fourCharacterText(record.uniqueId)},
            {"version", record.version},
            {"inputs", record.numInputs},
            {"outputs", record.numOutputs},
            {"flags", record.flags},
            {"flagNames", flagNames(record.flags)},
            {"programs", programs},
            {"parameters", nlohmann::json::array()},
        };
        for (std::size_t i = 0; i < parameters.size(); ++i)
            out["parameters"].push_back({{"index", i},
                                         {"name", parameters[i].name},
                                         {"label", parameters[i].label},
                                         {"display", parameters[i].display},
                                         {"value", parameters[i].value}});
        // A plug-in's texts are bytes: what is not UTF-8 shows as U+FFFD.
        std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return;
    }

    std::printf("plug-in     %s\n", pluginPath.c_str());
    std::printf("standard    2.0\n");
    std::printf("unique id   %s\n", host::fourCharacterText(record.uniqueId).c_str());
    std::printf("version     %d\n", record.version);
    std::printf("inputs      %d\n", record.numInputs);
    std::printf("outputs     %d\n", record.numOutputs);
    std::string flagText;
    for (const auto& name : flagNames(record.flags))
        flagText += (flagText.empty() ? "" : ", ") + name;
    std::printf("flags       %d (%s)\n", record.flags, flagText.c_str());
    std::printf("values      %s\n", interface20Values);
    std::printf("programs    %zu\n", programs.size());
    for (std::size_t i = 0; i < programs.size(); ++i)
        std::printf("  %2zu  %s\n", i, programs[i].c_str());
    std::printf("parameters  %zu\n", parameters.size());
    std::printf("  %-5s %-18s %-10s %-14s %s\n", "index", "name", "display", "label", "value");
    for (std::size_t i = 0; i < parameters.size(); ++i)
    {
        const auto& p = parameters[i];
        std::printf(
            "  %-5zu \"%s\"%*s \"%s\"%*s \"%s\"%*s %.9g\n", i, p.name.c_str(),
            static_cast<int>(16 - std::min<std::size_t>(16, p.name.size())), "", p.display.c_str(),
            static_cast<int>(8 - std::min<std::size_t>(8, p.display.size())), "", p.label.c_str(),
            static_cast<int>(12 - std::min<std::size_t>(12, p.label.size())), "",
            static_cast<double>(p.value));
    }
}

} // namespace sweepfilter::tool
