#pragma once

#include <memory>
#include <optional>

#include "ClapEventList.h"
#include "ClapInstance.h"
#include "ClapLibrary.h"
#include "HostedPlugin.h"

namespace sweepfilter::host
{

// A CLAP module's first plug-in as the tool hosts it: values in the parameters' own ranges,
// applied by a flush before activation and by parameter events at the first frame of a block
// afterwards; the transport, when there is host time, with every block.
class ClapHostedPlugin final : public HostedPlugin
{
public:
    explicit ClapHostedPlugin(const std::string& path);

    const char* standard() const override { return "CLAP"; }
    std::string identity() const override;
    std::string name() const override;
    const std::string& path() const override { return library_.path(); }
    bool followsHostTime() const override { return true; }

    double value(std::size_t parameter) override;
    std::string valueText(std::size_t parameter) override;
    std::optional<double> valueOf(std::size_t parameter, const std::string& text) override;

    void set(std::size_t parameter, double value) override;
    void start(const SessionFormat& format) override;
    void process(float* const (&in)[2], float* const (&out)[2], std::int32_t frames) override;
    void stop() override;

private:
    clap::clap_id id(std::size_t parameter) const;

    ClapLibrary library_;
    ClapInstance instance_;
    ClapEventList events_;
    SessionFormat format_;
    std::int64_t framesDone_ = 0;
};

} // namespace sweepfilter::host
