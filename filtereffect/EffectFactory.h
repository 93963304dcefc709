#pragma once

#include "EffectRecord.h"

namespace sweepfilter
{

// What the library's `main` does: asks the host for its interface version, builds one
// FilterEffect and returns its record. Null when the callback is missing, the host answers
// version 0, memory runs out, or an earlier construction already ran out of memory.
EffectRecord* createFilterEffect(HostCallback hostCallback) noexcept;

class FilterEffect;

// A new FilterEffect, or null when memory runs out (now or in an earlier construction). The
// caller ends it with destroy().
FilterEffect* newFilterEffect(HostCallback hostCallback) noexcept;

} // namespace sweepfilter
