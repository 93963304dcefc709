#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "ClapInstance.h"
#include "ClapLibrary.h"
#include "Controls.h"
#include "PluginHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{

using host::ClapEventList;
using host::ClapInstance;
using host::ClapLibrary;
using host::ClapTransport;

// The module this build made, loaded as a CLAP host loads it.
inline const ClapLibrary& clapModule()
{
    static const ClapLibrary library(SWEEPFILTER_CLAP_PATH);
    return library;
}

// The parameter ids, which are the controls' numbers.
inline clap::clap_id idOf(Control control)
{
    return static_cast<clap::clap_id>(control);
}

// `signal` rendered through `instance` in blocks of `block` frames; `events(frame, list)` adds
// the events of the block that starts at `frame`, `transport(frame)` gives its transport.
inline StereoSignal
renderClap(ClapInstance& instance, const StereoSignal& signal, std::uint32_t block,
           const std::function<void(std::size_t, ClapEventList&)>& events = {},
           const std::function<const ClapTransport*(std::size_t)>& transport = {})
{
    StereoSignal out(signal.frames());
    ClapEventList list;
    for (std::size_t done = 0; done < signal.frames(); done += block)
    {
        const auto frames =
            static_cast<std::uint32_t>(std::min<std::size_t>(block, signal.frames() - done));
        list.clear();
        if (events)
            events(done, list);
        const float* in[2] = {signal.left.data() + done, signal.right.data() + done};
        float* const outs[2] = {out.left.data() + done, out.right.data() + done};
        EXPECT_EQ(instance.process(in, outs, frames, &list, transport ? transport(done) : nullptr),
                  clap::CLAP_PROCESS_CONTINUE);
    }
    return out;
}

inline bool sameBits(const StereoSignal& a, const StereoSignal& b)
{
    return a.frames() == b.frames() &&
           std::memcmp(a.left.data(), b.left.data(), a.frames() * sizeof(float)) == 0 &&
           std::memcmp(a.right.data(), b.right.data(), a.frames() * sizeof(float)) == 0;
}

inline StereoSignal clapTestSignal(std::size_t frames, float rate = 44100.0f)
{
    return StereoSignal(chord(frames, rate), noise(frames, 5));
}

} // namespace sweepfilter::test
