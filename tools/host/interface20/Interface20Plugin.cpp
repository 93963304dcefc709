#include "Interface20Plugin.h"

#include <cctype>

namespace sweepfilter::host
{
namespace
{

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

Interface20Plugin::Interface20Plugin(const std::string& path) : library_(path), effect_(library_)
{
    effect_.open(); // as a host does, before asking anything
    for (std::int32_t i = 0; i < effect_.parameterCount(); ++i)
    {
        const double value = effect_.getParameter(i);
        // Values are 0 to 1 whatever the label says; the label goes with the shown value.
        parameters_.push_back({effect_.parameterName(i), std::to_string(i), 0.0, 1.0, value, {}});
        labels_.push_back(trimmed(effect_.parameterLabel(i)));
    }
}

std::string Interface20Plugin::identity() const
{
    return fourCharacterText(effect_.record().uniqueId);
}

double Interface20Plugin::value(std::size_t parameter)
{
    return effect_.getParameter(static_cast<std::int32_t>(parameter));
}

std::string Interface20Plugin::valueText(std::size_t parameter)
{
    const std::string display =
        trimmed(effect_.parameterDisplay(static_cast<std::int32_t>(parameter)));
    const std::string& label = labels_[parameter];
    return label.empty() ? display : display + " " + label;
}

std::vector<std::string> Interface20Plugin::programs()
{
    // Program names are read one program at a time; the current program is restored after.
    const std::int32_t current = effect_.program();
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < effect_.programCount(); ++i)
    {
        effect_.setProgram(i);
        names.push_back(effect_.programName());
    }
    effect_.setProgram(current);
    return names;
}

void Interface20Plugin::set(std::size_t parameter, double value)
{
    const auto index = static_cast<std::int32_t>(parameter);
    if (started_)
        effect_.setParameter(index, static_cast<float>(value));
    else
        startValues_.emplace_back(index, static_cast<float>(value));
}

void Interface20Plugin::start(const SessionFormat& format)
{
    effect_.setSampleRate(static_cast<float>(format.sampleRate));
    effect_.setBlockSize(format.maxFrames);
    if (program_)
        effect_.setProgram(*program_);
    for (auto [index, value] : startValues_)
        effect_.setParameter(index, value);
    effect_.resume();
    accumulate_ = format.accumulate;
    started_ = true;
}

void Interface20Plugin::process(float* const (&in)[2], float* const (&out)[2], std::int32_t frames)
{
    if (accumulate_)
        effect_.processAccumulate(in, out, frames);
    else
        effect_.processReplace(in, out, frames);
}

void Interface20Plugin::stop()
{
    effect_.suspend();
    effect_.close();
    started_ = false;
}

} // namespace sweepfilter::host
