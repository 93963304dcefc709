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
#include "Interruption.h"
#include "ToolError.h"

namespace sweepfilter::tool
{
namespace
{

constexpr double floorDb = -100.0;
constexpr std::size_t window = 2048, hop = 256;

// The chosen channel of a file, read front to back in pieces; a mono file gives its only
// channel whatever the choice. Holds a window's worth of samples, whatever the file's length.
class ChannelWindow
{
public:
    ChannelWindow(SoundFile& file, ChannelChoice choice, std::size_t length)
        : file_(file), choice_(choice), window_(length),
          frames_(chunk * static_cast<std::size_t>(file.channels()))
    {
    }

    // The window's samples from `start` on (start never decreases); fewer at the file's end.
    const std::vector<float>& at(std::int64_t start)
    {
        for (;;)
        {
            const auto drop = static_cast<std::size_t>(std::min<std::int64_t>(
                start - heldStart_, static_cast<std::int64_t>(held_.size())));
            held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(drop));
            heldStart_ += static_cast<std::int64_t>(drop);
            if (heldStart_ == start || !readMore())
                break;
        }
        while (held_.size() < window_ && readMore())
        {
        }
        const std::size_t count = std::min(window_, held_.size());
        windowSamples_.assign(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
        return windowSamples_;
    }

private:
    static constexpr std::size_t chunk = 4096;

    bool readMore()
    {
        throwIfInterrupted("no picture written");
        const auto count =
            static_cast<std::size_t>(file_.read(frames_.data(), static_cast<std::int64_t>(chunk)));
        const auto channels = static_cast<std::size_t>(file_.channels());
        for (std::size_t i = 0; i < count; ++i)
        {
            const float left = frames_[i * channels];
            const float right = channels > 1 ? frames_[i * channels + 1] : left;
            held_.push_back(choice_ == ChannelChoice::left    ? left
                            : choice_ == ChannelChoice::right ? right
                                                              : 0.5f * (left + right));
        }
        return count > 0;
    }

    SoundFile& file_;
    ChannelChoice choice_;
    std::size_t window_;
    std::vector<float> frames_, held_, windowSamples_;
    std::int64_t heldStart_ = 0; // the file position of held_[0]
};

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
    Picture::checkPath(path);
    SoundFile file = SoundFile::openForReading(input);
    if (file.frames() == 0)
        throw ToolError(ExitCode::audioFile, "audio file " + input + " holds no audio");
    const double sampleRate = file.sampleRate();
    const std::int64_t sampleCount = file.frames();
    const auto transformFrames = (static_cast<std::size_t>(sampleCount) + hop - 1) / hop;
    ChannelWindow samples(file, channel, window);
    ShortTimeSpectrum spectrum(window);

    Picture picture(path, 900, 480);
    cairo_t* cr = picture.context();
    const double nyquist = sampleRate / 2.0;
    FrequencyAxes axes(cr, 70, 30, 700, 380, 20.0, nyquist, 0.0, 1.0);
    const double seconds = static_cast<double>(sampleCount) / sampleRate;

    // Every transform frame counts: each pixel column shows the mean power of the frames whose
    // start falls in its span (the nearest frame when the file has fewer frames than columns),
    // so a short loud event shows however long the file; each row shows the bin of its
    // frequency.
    const int columns = static_cast<int>(axes.width), rows = static_cast<int>(axes.height);
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns, rows);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const double binHz = sampleRate / static_cast<double>(window);
    const auto spanStart = [&](int column) {
        return static_cast<std::size_t>(static_cast<std::uint64_t>(column) * transformFrames /
                                        static_cast<std::uint64_t>(columns));
    };
    std::vector<double> levels(window / 2 + 1);
    for (int column = 0; column < columns; ++column)
    {
        std::size_t first = spanStart(column), last = spanStart(column + 1);
        if (last <= first)
        {
            first = std::min(transformFrames - 1,
                             static_cast<std::size_t>((column + 0.5) / columns *
                                                      static_cast<double>(transformFrames)));
            last = first + 1;
        }
        std::fill(levels.begin(), levels.end(), 0.0);
        for (std::size_t frame = first; frame < last; ++frame)
            spectrum.addFramePowers(samples.at(static_cast<std::int64_t>(frame * hop)), levels);
        const double frames = static_cast<double>(last - first);
        for (double& level : levels)
            level = level > 0.0 ? 10.0 * std::log10(level / frames) : floorDb;
        for (int row = 0; row < rows; ++row)
        {
            const double hz = axes.hzAtFraction(1.0 - (row + 0.5) / rows);
            const auto bin =
                std::min(levels.size() - 1, static_cast<std::size_t>(std::lround(hz / binHz)));
            const auto colour = colourFor(levels[bin]);
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
    // A handful of labels whatever the length: the first step that needs at most eight.
    double step = 0.5;
    for (double candidate :
         {0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 30.0, 60.0, 120.0, 300.0, 600.0, 1200.0, 1800.0, 3600.0})
        if ((step = candidate) * 8.0 >= seconds)
            break;
    step = std::max(step, std::ceil(seconds / 8.0));
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
