#pragma once

#include <cstdint>
#include <type_traits>

#include "Lanes.h"

namespace sweepfilter
{

// What a filter's block processing does with each filtered pair: the filters hand over the
// pair as floats and also widened to doubles (left in lane 0), which is how their chain holds
// it anyway. Anything done here runs beside the filter's dependency chain.

// Stores the pair.
struct StoreOutput
{
    float* left;
    float* right;

    void operator()(std::int32_t i, lanes::FloatPair y, lanes::DoublePair) const noexcept
    {
        _mm_store_ss(left + i, y.v);
        _mm_store_ss(right + i, _mm_shuffle_ps(y.v, y.v, 1));
    }
};

// Stores the input pair into a delay line run and takes the delayed pair back (when
// `withSend`: see FlangerDelay::nextRun), adds it scaled by `send`, then adds onto what the
// outputs already hold (when `accumulate`), each step in double and rounded to float once:
// out = float(float(delayed * send + y) + out). The inputs are read before the outputs are
// written, so they may be the same buffers. `Send` is a float, or a callable giving frame i's
// send for a send that glides.
template <bool withSend, bool accumulate, typename Send = float>
struct MixOutput
{
    float* left;
    float* right;
    const float* inLeft = nullptr;
    const float* inRight = nullptr;
    float* writeLeft = nullptr;
    float* writeRight = nullptr;
    const float* readLeft = nullptr;
    const float* readRight = nullptr;
    Send send{};

    float sendAt(std::int32_t i) const noexcept
    {
        if constexpr (std::is_same_v<Send, float>)
            return send;
        else
            return send(i);
    }

    void operator()(std::int32_t i, lanes::FloatPair y, lanes::DoublePair yWide) const noexcept
    {
        using lanes::DoublePair;
        if constexpr (withSend)
        {
            writeLeft[i] = inLeft[i];
            writeRight[i] = inRight[i];
            const DoublePair delayed = lanes::loadPair(readLeft, readRight, i);
            y = lanes::narrow(delayed * lanes::broadcast<DoublePair>(sendAt(i)) + yWide);
            yWide = lanes::widen(y);
        }
        if constexpr (accumulate)
            y = lanes::narrow(yWide + lanes::loadPair(left, right, i));
        StoreOutput{left, right}(i, y, yWide);
    }
};

} // namespace sweepfilter
