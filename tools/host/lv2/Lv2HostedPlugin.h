#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include "HostedPlugin.h"

namespace sweepfilter::host
{

// An LV2 plug-in as the tool hosts it, through lilv: found in a bundle folder (the bundle's
// first plug-in) or among the installed plug-ins by URI; values are its input control ports,
// within their ranges; host time goes to its atom input as one time:Position at the start.
// It gets the URID map and unmap features and nothing else.
class Lv2HostedPlugin final : public HostedPlugin
{
public:
    explicit Lv2HostedPlugin(const std::string& bundleOrUri);
    ~Lv2HostedPlugin() override;
    Lv2HostedPlugin(const Lv2HostedPlugin&) = delete;
    Lv2HostedPlugin& operator=(const Lv2HostedPlugin&) = delete;

    const char* standard() const override { return "LV2"; }
    std::string identity() const override;
    std::string name() const override;
    const std::string& path() const override { return path_; }
    bool followsHostTime() const override { return !atomInputs_.empty(); }

    double value(std::size_t parameter) override;
    std::string valueText(std::size_t parameter) override;
    std::optional<double> valueOf(std::size_t parameter, const std::string& text) override;

    void set(std::size_t parameter, double value) override;
    void start(const SessionFormat& format) override;
    void process(float* const (&in)[2], float* const (&out)[2], std::int32_t frames) override;
    void stop() override;

private:
    struct ScalePoint
    {
        std::string label;
        float value;
    };

    void findPlugin(const std::string& bundleOrUri);
    void describePorts();
    void checkFeatures() const;
    std::string unitOf(const LilvPort* port);
    void release();
    LilvNode* uri(const char* text);
    LV2_URID map(const char* uri);
    void writeSequence(bool withPosition);

    std::string path_;
    LilvWorld* world_;
    const LilvPlugin* plugin_ = nullptr;
    LilvInstance* instance_ = nullptr;
    std::vector<LilvNode*> nodes_;

    std::vector<float> portValues_;                    // every control port's value, by port index
    std::vector<std::uint32_t> controlPorts_;          // the parameters' ports
    std::vector<std::vector<ScalePoint>> scalePoints_; // by parameter
    std::uint32_t audioIn_[2] = {}, audioOut_[2] = {};
    std::vector<std::uint32_t> controlOutputs_, atomInputs_, atomOutputs_;

    std::deque<std::string> uris_; // a deque keeps the texts unmap hands out in place
    LV2_URID_Map mapFeature_;
    LV2_URID_Unmap unmapFeature_;
    LV2_Feature features_[2];
    const LV2_Feature* featureList_[3];
    LV2_Atom_Forge forge_;
    std::vector<std::uint64_t> sequence_, outputSequence_;
    SessionFormat format_;
    bool first_ = true;
};

} // namespace sweepfilter::host
