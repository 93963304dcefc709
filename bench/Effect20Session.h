#pragma once

#include <cstdint>
#include <vector>

#include "BenchSupport.h"
#include "HostedEffect.h"

namespace sweepfilter::bench
{

// The 2.0 plug-in through its record, resumed, with the benchmark's settings (0..1 values)
// and its own noise input and output buffers of one block.
class Effect20Session
{
public:
    Effect20Session(bool hard, bool sweep, bool send, std::int32_t block)
        : effect_(plugin()), inLeft_(noise(static_cast<std::size_t>(block), 1)),
          inRight_(noise(static_cast<std::size_t>(block), 2)), outLeft_(inLeft_.size()),
          outRight_(inRight_.size())
    {
        effect_.resume();
        effect_.setParameter(0, 0.6f);
        effect_.setParameter(1, 0.8f);
        effect_.setParameter(2, hard ? 1.0f : 0.0f);
        effect_.setParameter(3, sweep ? 0.4f : 0.0f);
        effect_.setParameter(6, send ? 0.5f : 0.0f);
        effect_.setParameter(7, 0.3f);
    }

    void run(std::int32_t block, std::int32_t blocks, bool accumulate = false)
    {
        float* inputs[2] = {inLeft_.data(), inRight_.data()};
        float* outputs[2] = {outLeft_.data(), outRight_.data()};
        for (std::int32_t b = 0; b < blocks; ++b)
        {
            if (accumulate)
                effect_.processAccumulate(inputs, outputs, block);
            else
                effect_.processReplace(inputs, outputs, block);
        }
    }

private:
    host::HostedEffect effect_;
    std::vector<float> inLeft_, inRight_, outLeft_, outRight_;
};

} // namespace sweepfilter::bench
