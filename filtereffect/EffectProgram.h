#pragma once

#include "Parameters.h"

namespace sweepfilter
{

// One program: the eight parameter values and a name of at most 23 characters.
struct EffectProgram
{
    static constexpr int nameCapacity = 24; // including the terminating zero

    ParameterValues values = defaultParameterValues;
    char name[nameCapacity] = "Init";
};

} // namespace sweepfilter
