#include "FourierAnalysis.h"

#include <fftw3.h>

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

namespace sweepfilter::tool
{
namespace
{

constexpr double silenceDecibels = -400.0;

double decibels(double magnitude)
{
    return magnitude > 0.0 ? 20.0 * std::log10(magnitude) : silenceDecibels;
}

// An FFTW real-to-complex plan with its buffers, released together.
class RealTransform
{
public:
    explicit RealTransform(std::size_t size)
        : size_(size), input_(fftw_alloc_real(size)), output_(fftw_alloc_complex(size / 2 + 1)),
          plan_(fftw_plan_dft_r2c_1d(static_cast<int>(size), input_, output_, FFTW_ESTIMATE))
    {
    }
    ~RealTransform()
    {
        fftw_destroy_plan(plan_);
        fftw_free(output_);
        fftw_free(input_);
    }
    RealTransform(const RealTransform&) = delete;
    RealTransform& operator=(const RealTransform&) = delete;

    double* input() { return input_; }
    // |X[k]| for k = 0 .. size/2 after transforming the input.
    std::vector<double> magnitudes()
    {
        fftw_execute(plan_);
        std::vector<double> result(size_ / 2 + 1);
        for (std::size_t k = 0; k < result.size(); ++k)
            result[k] = std::hypot(output_[k][0], output_[k][1]);
        return result;
    }

private:
    std::size_t size_;
    double* input_;
    fftw_complex* output_;
    fftw_plan plan_;
};

} // namespace

std::vector<double> magnitudeDecibels(const std::vector<double>& signal)
{
    RealTransform transform(signal.size());
    std::copy(signal.begin(), signal.end(), transform.input());
    std::vector<double> result = transform.magnitudes();
    for (double& value : result)
        value = decibels(value);
    return result;
}

Spectrogram shortTimeSpectrum(const std::vector<float>& signal, double sampleRate,
                              std::size_t window, std::size_t hop)
{
    Spectrogram spectrogram{window, hop, sampleRate, {}};
    RealTransform transform(window);
    std::vector<double> hann(window);
    double windowSum = 0.0;
    for (std::size_t i = 0; i < window; ++i)
    {
        hann[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                       static_cast<double>(window));
        windowSum += hann[i];
    }
    // A full-scale sine peaks at amplitude * windowSum / 2 in its bin: call that 0 dB.
    const double fullScale = windowSum / 2.0;
    for (std::size_t start = 0; start < signal.size(); start += hop)
    {
        for (std::size_t i = 0; i < window; ++i)
            transform.input()[i] = start + i < signal.size() ? signal[start + i] * hann[i] : 0.0;
        std::vector<double> row = transform.magnitudes();
        for (double& value : row)
            value = decibels(value / fullScale);
        spectrogram.frames.push_back(std::move(row));
    }
    return spectrogram;
}

} // namespace sweepfilter::tool
