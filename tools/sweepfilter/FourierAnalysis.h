#pragma once

#include <cstddef>
#include <vector>

namespace sweepfilter::tool
{

// Magnitudes in decibels (20 log10 |X|) of the real signal's discrete Fourier transform, for
// bins 0 .. size/2 (FFTW). Zero magnitudes come out as -400 dB rather than minus infinity.
std::vector<double> magnitudeDecibels(const std::vector<double>& signal);

// Short-time transforms with a Hann window: one row of window/2 + 1 decibel values per hop,
// relative to a full-scale sine (0 dB). Frames past the end are zero-padded.
struct Spectrogram
{
    std::size_t window = 0;
    std::size_t hop = 0;
    double sampleRate = 0.0;
    std::vector<std::vector<double>> frames;
};
Spectrogram shortTimeSpectrum(const std::vector<float>& signal, double sampleRate,
                              std::size_t window, std::size_t hop);

} // namespace sweepfilter::tool
