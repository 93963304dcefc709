#pragma once

#include <cairo.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "OutputFile.h"

namespace sweepfilter::tool
{

// A picture drawn with cairo into FILE.png or FILE.svg (by the extension), which appears under
// its name only once it is complete.
class Picture
{
public:
    // Throws ToolError: usage for another extension, audio-file problems for the folder.
    Picture(const std::filesystem::path& path, int width, int height);
    // The constructor's checks of the path, without creating anything.
    static void checkPath(const std::string& path);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    cairo_t* context() const { return context_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void save();

private:
    static cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned length);

    OutputFile file_;
    bool png_;
    int width_, height_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* context_ = nullptr;
};

// A plot area with a logarithmic frequency axis (x) and a linear axis (y), and the drawing
// helpers the response and spectrogram pictures share.
class FrequencyAxes
{
public:
    FrequencyAxes(cairo_t* context, double left, double top, double width, double height,
                  double lowHz, double highHz, double bottomValue, double topValue);

    double x(double hz) const;
    double y(double value) const;
    double hzAtFraction(double fraction) const; // 0 at lowHz, 1 at highHz

    // Decade grid lines with labels (20, 50, 100, 200, ... 20k) along the given edge.
    void drawFrequencyGrid(bool vertical) const;
    void drawFrame() const;
    // The horizontal axis's title below the plot, the vertical one turned along its left side.
    void drawTitles(const std::string& horizontal, const std::string& vertical) const;

    const double left, top, width, height;

private:
    cairo_t* context_;
    double lowHz_, highHz_, bottom_, top_;
};

// Text at (x, y): align -1 left, 0 centre, 1 right; the baseline sits at y.
void drawText(cairo_t* context, double x, double y, const std::string& text, double size,
              int align = -1);
std::string frequencyLabel(double hz);

} // namespace sweepfilter::tool
