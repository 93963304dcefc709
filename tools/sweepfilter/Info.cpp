#include "Info.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "HostedEffect.h"
#include "PluginLibrary.h"

namespace sweepfilter::tool
{
using host::HostedEffect;
using host::PluginLibrary;

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

} // namespace

void printInfo(const std::string& pluginPath, bool json)
{
    PluginLibrary library(pluginPath);
    HostedEffect effect(library);
    // A host opens an effect before it asks anything; some plug-ins set up their texts then.
    effect.open();
    const EffectRecord record = effect.record();

    // Program names are read one program at a time; the current program is restored after.
    const std::int32_t current = effect.program();
    std::vector<std::string> programs;
    for (std::int32_t i = 0; i < effect.programCount(); ++i)
    {
        effect.setProgram(i);
        programs.push_back(effect.programName());
    }
    effect.setProgram(current);
    std::vector<ParameterFacts> parameters;
    for (std::int32_t i = 0; i < effect.parameterCount(); ++i)
        parameters.push_back({effect.parameterName(i), effect.parameterLabel(i),
                              effect.parameterDisplay(i), effect.getParameter(i)});
    effect.close();

    if (json)
    {
        nlohmann::json out = {
            {"plugin", pluginPath},
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
    std::printf("unique id   %s\n", host::fourCharacterText(record.uniqueId).c_str());
    std::printf("version     %d\n", record.version);
    std::printf("inputs      %d\n", record.numInputs);
    std::printf("outputs     %d\n", record.numOutputs);
    std::string flagText;
    for (const auto& name : flagNames(record.flags))
        flagText += (flagText.empty() ? "" : ", ") + name;
    std::printf("flags       %d (%s)\n", record.flags, flagText.c_str());
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
