#pragma once

namespace sweepfilter::clap
{

// The extension a plug-in instance offers under an id: params, audio-ports, state and latency;
// null for any other id (or a null id).
const void* extensionFor(const char* id) noexcept;

} // namespace sweepfilter::clap
