#pragma once

namespace sweepfilter
{

// Module-wide: raised by an effect's construction when it could not obtain memory it needs,
// read by the entry point. Never lowered, so once raised every later effect is refused.
void raiseOutOfMemory() noexcept;
bool isOutOfMemory() noexcept;

} // namespace sweepfilter
