#pragma once

namespace sweepfilter
{

// The host's array of two channel pointers (0 left, 1 right) to 32-bit float samples.
using StereoBuffers = float**;

} // namespace sweepfilter
