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

} // namespace

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
    // Transforms the input into X[k], k = 0 .. size/2.
    const fftw_complex* transform()
    {
        fftw_execute(plan_);
        return output_;
    }
    // |X[k]| for k = 0 .. size/2 after transforming the input.
    std::vector<double> magnitudes()
    {
        transform();
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

std::vector<double> magnitudeDecibels(const std::vector<double>& signal)
{
    RealTransform transform(signal.size());
    std::copy(signal.begin(), signal.end(), transform.input());
    std::vector<double> result = transform.magnitudes();
    for (double& value : result)
        value = decibels(value);
    return result;
}

ShortTimeSpectrum::ShortTimeSpectrum(std::size_t window)
    : transform_(std::make_unique<RealTransform>(window)), hann_(window)
{
    double windowSum = 0.0;
    for (std::size_t i = 0; i < window; ++i)
    {
        hann_[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                        static_cast<double>(window));
        windowSum += hann_[i];
    }
    // A full-scale sine peaks at amplitude * windowSum / 2 in its bin: call that 0 dB.
    fullScale_ = windowSum / 2.0;
}

ShortTimeSpectrum::~ShortTimeSpectrum() = default;

void ShortTimeSpectrum::windowed(const std::vector<float>& samples)
{
    for (std::size_t i = 0; i < hann_.size(); ++i)
        transform_->input()[i] = i < samples.size() ? samples[i] * hann_[i] : 0.0;
}

std::vector<double> ShortTimeSpectrum::frameDecibels(const std::vector<float>& samples)
{
    windowed(samples);
    std::vector<double> row = transform_->magnitudes();
    for (double& value : row)
        value = decibels(value / fullScale_);
    return row;
}

void ShortTimeSpectrum::addFramePowers(const std::vector<float>& samples, std::vector<double>& sums)
{
    windowed(samples);
    const fftw_complex* bins = transform_->transform();
    const double scale = 1.0 / (fullScale_ * fullScale_);
    for (std::size_t k = 0; k < sums.size(); ++k)
        sums[k] += (bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1]) * scale;
}

} // namespace sweepfilter::tool
