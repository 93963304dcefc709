#pragma once

#include <string>

namespace sweepfilter::tool
{

enum class ChannelChoice
{
    left,
    right,
    mid
};

// A short-time Fourier transform picture of an audio file: time across, frequency up on a
// logarithmic axis, level as colour with a legend. Throws ToolError.
void writeSpectrogram(const std::string& input, const std::string& picture, ChannelChoice channel);

} // namespace sweepfilter::tool
