#pragma once

#include "EffectRecord.h"

namespace sweepfilter
{

// What the 2.0 module's `main` does: asks the host for its interface version, builds one
// FilterEffect and returns its record. Null when the callback is missing, the host answers
// version 0, memory runs out, or an earlier construction already ran out of memory (the
// module-wide flag the 2.0 record's construction reports through).
EffectRecord* createFilterEffect(HostCallback hostCallback) noexcept;

} // namespace sweepfilter
