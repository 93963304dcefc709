#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "HostedEffect.h"
#include "HostedPlugin.h"
#include "PluginLibrary.h"

namespace sweepfilter::host
{

// A 2.0 plug-in as the tool hosts it: values from 0 to 1, programs, and the host's usual order
// at the start (sample rate, block size, program, values, resume).
class Interface20Plugin final : public HostedPlugin
{
public:
    explicit Interface20Plugin(const std::string& path);

    const char* standard() const override { return "2.0"; }
    std::string identity() const override;
    std::string name() const override { return library_.path(); }
    const std::string& path() const override { return library_.path(); }
    bool accumulates() const override { return true; }
    HostedEffect& effect() { return effect_; }

    double value(std::size_t parameter) override;
    std::string valueText(std::size_t parameter) override;
    std::optional<double> valueOf(std::size_t, const std::string&) override { return {}; }
    std::vector<std::string> programs() override;
    void selectProgram(std::int32_t program) override { program_ = program; }

    void set(std::size_t parameter, double value) override;
    void start(const SessionFormat& format) override;
    void process(float* const (&in)[2], float* const (&out)[2], std::int32_t frames) override;
    void stop() override;

private:
    PluginLibrary library_;
    HostedEffect effect_;
    std::vector<std::string> labels_;
    std::optional<std::int32_t> program_;
    std::vector<std::pair<std::int32_t, float>> startValues_;
    bool started_ = false;
    bool accumulate_ = false;
};

} // namespace sweepfilter::host
