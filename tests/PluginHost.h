#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "EffectRecord.h"
#include "HostedEffect.h"
#include "PluginLibrary.h"
#include "RecordingHostCallback.h"

namespace sweepfilter::test
{

// The plug-in this build made, loaded as a host loads it.
class PluginLibrary : public host::PluginLibrary
{
public:
    PluginLibrary() : host::PluginLibrary(SWEEPFILTER_PLUGIN_PATH) {}

    EffectRecord* callMain(HostCallback callback = &RecordingHostCallback::callback) const
    {
        return createEffect(callback);
    }
};

using host::HostedEffect;

// A text opcode's result, or "<untouched>" when the effect wrote nothing into the buffer.
inline std::string textOrUntouched(HostedEffect& effect, std::int32_t opcode, std::int32_t index)
{
    char buffer[256] = "<untouched>";
    effect.dispatch(opcode, index, 0, buffer);
    return buffer;
}

// A stereo signal in two channel vectors, handed out as the pointer array hosts pass.
struct StereoSignal
{
    std::vector<float> left, right;

    explicit StereoSignal(std::size_t frames = 0, float value = 0.0f)
        : left(frames, value), right(frames, value)
    {
    }
    StereoSignal(std::vector<float> l, std::vector<float> r)
        : left(std::move(l)), right(std::move(r))
    {
    }

    std::size_t frames() const { return left.size(); }
    std::int32_t frameCount() const { return static_cast<std::int32_t>(left.size()); }

    // The channel pointers, advanced to frame `offset`.
    float* const* buffers(std::size_t offset = 0)
    {
        pointers_[0] = left.data() + offset;
        pointers_[1] = right.data() + offset;
        return pointers_;
    }

private:
    float* pointers_[2] = {};
};

} // namespace sweepfilter::test
