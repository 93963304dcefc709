#pragma once

#include <memory>

#include "FilterEffect.h"

namespace sweepfilter::test
{

struct DestroyEffect
{
    void operator()(FilterEffect* effect) const { effect->destroy(); }
};

// A FilterEffect built in-process, for looking at its derived settings.
using OwnedEffect = std::unique_ptr<FilterEffect, DestroyEffect>;

inline OwnedEffect makeEffect()
{
    return OwnedEffect(new FilterEffect(nullptr));
}

} // namespace sweepfilter::test
