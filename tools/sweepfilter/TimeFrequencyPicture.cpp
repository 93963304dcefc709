#include "TimeFrequencyPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "Picture.h"
#include "SoundFile.h"
#include "FourierAnalysis.h"

namespace sweepfilter::tool
{
namespace
{

constexpr double floorDb = -100.0;
constexpr std::size_t window = 2048, hop = 256;

// The samples of the chosen channel; a mono file gives its only channel whatever the choice.
std::vector<float> readChannel(const std::string& path, ChannelChoice choice, double& sampleRate)
{
    SoundFile file = SoundFile::openForReading(path);
    sampleRate = file.sampleRate();
    const auto channels = static_cast<std::size_t>(file.channels());
    std::vector<float> frames(static_cast<std::size_t>(file.frames()) * channels);
    const auto count = static_cast<std::size_t>(file.read(frames.data(), file.frames()));
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        const float left = frames[i * channels];
        const float right = channels > 1 ? frames[i * channels + 1] : left;
        samples[i] = choice == ChannelChoice::left    ? left
                     : choice == ChannelChoice::right ? right
                                                      : 0.5f * (left + right);
    }
    return samples;
}

// Dark blue through red to pale yellow as the level rises from the floor to 0 dB.
std::array<double, 3> colourFor(double db)
{
    const double t = std::clamp((db - floorDb) / -floorDb, 0.0, 1.0);
    constexpr std::array<std::array<double, 3>, 5> stops = {{{0.02, 0.02, 0.10},
                                                             {0.25, 0.05, 0.45},
                                                             {0.75, 0.15, 0.30},
                                                             {0.98, 0.55, 0.10},
                                                             {1.0, 0.97, 0.70}}};
    const double position = t * (stops.size() - 1);
    const auto index = std::min<std::size_t>(static_cast<std::size_t>(position), stops.size() - 2);
    const double f = position - static_cast<double>(index);
    std::array<double, 3> colour;
    for (std::size_t c = 0; c < 3; ++c)
        colour[c] = stops[index][c] + f * (stops[index + 1][c] - stops[index][c]);
    return colour;
}

} // namespace

void writeSpectrogram(const std::string& input, const std::string& path, ChannelChoice channel)
{
    double sampleRate = 0.0;
    const std::vector<float> samples = readChannel(input, channel, sampleRate);
    const Spectrogram spectrogram = shortTimeSpectrum(samples, sampleRate, window, hop);

    Picture picture(path, 900, 480);
    cairo_t* cr = picture.context();
    const double nyquist = sampleRate / 2.0;
    FrequencyAxes axes(cr, 70, 30, 700, 380, 20.0, nyquist, 0.0, 1.0);
    const double seconds = static_cast<double>(samples.size()) / sampleRate;

    // Each pixel column takes the nearest transform frame, each row the bin of its frequency.
    const int columns = static_cast<int>(axes.width), rows = static_cast<int>(axes.height);
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns, rows);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const double binHz = sampleRate / static_cast<double>(window);
    for (int column = 0; column < columns; ++column)
    {
        const std::size_t frame =
            std::min(spectrogram.frames.size() - 1,
                     static_cast<std::size_t>((column + 0.5) / columns *
                                              static_cast<double>(spectrogram.frames.size())));
        for (int row = 0; row < rows; ++row)
        {
            const double hz = axes.hzAtFraction(1.0 - (row + 0.5) / rows);
            const auto bin = std::min(spectrogram.frames[frame].size() - 1,
                                      static_cast<std::size_t>(std::lround(hz / binHz)));
            const auto colour = colourFor(spectrogram.frames[frame][bin]);
            auto* pixel = reinterpret_cast<std::uint32_t*>(pixels + row * stride) + column;
            *pixel = (static_cast<std::uint32_t>(colour[0] * 255) << 16) |
                     (static_cast<std::uint32_t>(colour[1] * 255) << 8) |
                     static_cast<std::uint32_t>(colour[2] * 255);
        }
    }
    cairo_surface_mark_dirty(image);
    cairo_set_source_surface(cr, image, axes.left, axes.top);
    cairo_paint(cr);
    cairo_surface_destroy(image);

    axes.drawFrequencyGrid(false);
    axes.drawFrame();
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    const double step = seconds > 20 ? 5.0 : seconds > 8 ? 2.0 : seconds > 3 ? 1.0 : 0.5;
    for (double t = 0.0; t <= seconds + 1e-9; t += step)
    {
        const double x = axes.left + axes.width * t / seconds;
        char label[16];
        std::snprintf(label, sizeof label, "%g", t);
        drawText(cr, x, axes.top + axes.height + 16, label, 11, 0);
    }
    axes.drawTitles("time (s)", "frequency (Hz)");

    // The colour legend.
    const double legendLeft = axes.left + axes.width + 40, legendWidth = 18;
    for (int row = 0; row < rows; ++row)
    {
        const auto colour = colourFor(floorDb * (row + 0.5) / rows);
        cairo_set_source_rgb(cr, colour[0], colour[1], colour[2]);
        cairo_rectangle(cr, legendLeft, axes.top + row, legendWidth, 1.0);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    for (double db = 0.0; db >= floorDb; db -= 20.0)
        drawText(cr, legendLeft + legendWidth + 6, axes.top + axes.height * db / floorDb + 4,
                 std::to_string(static_cast<int>(db)) + " dB", 11);
    // The file's own name: the folder it was rendered in means nothing to a reader.
    drawText(cr, axes.left, 20, std::filesystem::path(input).filename().string(), 11);
    picture.save();
}

} // namespace sweepfilter::tool
