#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace sweepfilter::tool
{

// Magnitudes in decibels (20 log10 |X|) of the real signal's discrete Fourier transform, for
// bins 0 .. size/2 (FFTW). Zero magnitudes come out as -400 dB rather than minus infinity.
std::vector<double> magnitudeDecibels(const std::vector<double>& signal);

// Short-time transforms with a Hann window: window/2 + 1 decibel values per frame, relative to
// a full-scale sine (0 dB). The caller hands in each frame's samples, so a long file can be
// streamed through it.
class ShortTimeSpectrum
{
public:
    explicit ShortTimeSpectrum(std::size_t window);
    ~ShortTimeSpectrum();
    ShortTimeSpectrum(const ShortTimeSpectrum&) = delete;
    ShortTimeSpectrum& operator=(const ShortTimeSpectrum&) = delete;

    std::size_t window() const { return hann_.size(); }
    // `samples` holds the frame's first samples; the rest of the window counts as zero.
    std::vector<double> frameDecibels(const std::vector<float>& samples);
    // Adds the frame's powers (a full-scale sine is 1) to `sums` (window/2 + 1 of them),
    // allocating nothing, so that any number of frames can be summed.
    void addFramePowers(const std::vector<float>& samples, std::vector<double>& sums);

private:
    void windowed(const std::vector<float>& samples);

    std::unique_ptr<class RealTransform> transform_;
    std::vector<double> hann_;
    double fullScale_ = 0.0;
};

} // namespace sweepfilter::tool
