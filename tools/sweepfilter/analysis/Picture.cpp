#include "Picture.h"

#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ToolError.h"

namespace sweepfilter::tool
{

namespace
{

bool wantsPng(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png")
        return true;
    if (extension == ".svg")
        return false;
    throw ToolError(ExitCode::usage, "a picture is written as .png or .svg, not " + path.string());
}

// The path, once its extension names a picture format.
const std::filesystem::path& picturePath(const std::filesystem::path& path)
{
    wantsPng(path);
    return path;
}

} // namespace

void Picture::checkPath(const std::string& path)
{
    OutputFile::checkPath(path);
    wantsPng(path);
}

Picture::Picture(const std::filesystem::path& path, int width, int height)
    : file_(picturePath(path).string()), png_(wantsPng(path)), width_(width), height_(height)
{
    surface_ =
        png_ ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)
             : cairo_svg_surface_create_for_stream(&Picture::writeToFile, this, width, height);
    context_ = cairo_create(surface_);
    cairo_set_source_rgb(context_, 1.0, 1.0, 1.0);
    cairo_paint(context_);
    cairo_select_font_face(context_, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
}

Picture::~Picture()
{
    if (context_)
        cairo_destroy(context_);
    if (surface_)
        cairo_surface_destroy(surface_);
}

cairo_status_t Picture::writeToFile(void* closure, const unsigned char* data, unsigned length)
{
    return static_cast<Picture*>(closure)->file_.writeAll(data, length) ? CAIRO_STATUS_SUCCESS
                                                                        : CAIRO_STATUS_WRITE_ERROR;
}

void Picture::save()
{
    cairo_status_t status = cairo_status(context_);
    if (png_ && status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_write_to_png_stream(surface_, &Picture::writeToFile, this);
    cairo_destroy(context_);
    context_ = nullptr;
    cairo_surface_finish(surface_);
    if (status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_status(surface_);
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    file_.checkWrites();
    if (status != CAIRO_STATUS_SUCCESS)
        throw ToolError(ExitCode::audioFile,
                        std::string("cannot write the picture: ") + cairo_status_to_string(status));
    file_.commit();
}

FrequencyAxes::FrequencyAxes(cairo_t* context, double areaLeft, double areaTop, double areaWidth,
                             double areaHeight, double lowHz, double highHz, double bottomValue,
                             double topValue)
    : left(areaLeft), top(areaTop), width(areaWidth), height(areaHeight), context_(context),
      lowHz_(lowHz), highHz_(highHz), bottom_(bottomValue), top_(topValue)
{
}

double FrequencyAxes::x(double hz) const
{
    return left + width * std::log(hz / lowHz_) / std::log(highHz_ / lowHz_);
}

double FrequencyAxes::y(double value) const
{
    return top + height * (top_ - value) / (top_ - bottom_);
}

double FrequencyAxes::hzAtFraction(double fraction) const
{
    return lowHz_ * std::pow(highHz_ / lowHz_, fraction);
}

std::string frequencyLabel(double hz)
{
    char text[32];
    if (hz >= 1000.0)
        std::snprintf(text, sizeof text, "%gk", hz / 1000.0);
    else
        std::snprintf(text, sizeof text, "%g", hz);
    return text;
}

void FrequencyAxes::drawFrequencyGrid(bool vertical) const
{
    cairo_set_line_width(context_, 1.0);
    for (double decade = 10.0; decade <= highHz_; decade *= 10.0)
    {
        for (double step : {1.0, 2.0, 5.0})
        {
            const double hz = decade * step;
            if (hz < lowHz_ || hz > highHz_)
                continue;
            const bool major = step == 1.0;
            cairo_set_source_rgb(context_, major ? 0.75 : 0.88, major ? 0.75 : 0.88,
                                 major ? 0.75 : 0.88);
            if (vertical)
            {
                const double at = x(hz);
                cairo_move_to(context_, at, top);
                cairo_line_to(context_, at, top + height);
                cairo_stroke(context_);
                cairo_set_source_rgb(context_, 0.2, 0.2, 0.2);
                drawText(context_, at, top + height + 16, frequencyLabel(hz), 11, 0);
            }
            else
            {
                const double fraction = std::log(hz / lowHz_) / std::log(highHz_ / lowHz_);
                const double at = top + height * (1.0 - fraction);
                cairo_move_to(context_, left, at);
                cairo_line_to(context_, left + width, at);
                cairo_stroke(context_);
                cairo_set_source_rgb(context_, 0.2, 0.2, 0.2);
                drawText(context_, left - 6, at + 4, frequencyLabel(hz), 11, 1);
            }
        }
    }
}

void FrequencyAxes::drawFrame() const
{
    cairo_set_source_rgb(context_, 0.3, 0.3, 0.3);
    cairo_set_line_width(context_, 1.0);
    cairo_rectangle(context_, left, top, width, height);
    cairo_stroke(context_);
}

void FrequencyAxes::drawTitles(const std::string& horizontal, const std::string& vertical) const
{
    cairo_set_source_rgb(context_, 0.2, 0.2, 0.2);
    drawText(context_, left + width / 2, top + height + 34, horizontal, 12, 0);
    cairo_save(context_);
    cairo_translate(context_, left - 48, top + height / 2);
    cairo_rotate(context_, -M_PI / 2);
    drawText(context_, 0, 0, vertical, 12, 0);
    cairo_restore(context_);
}

void drawText(cairo_t* context, double x, double y, const std::string& text, double size, int align)
{
    cairo_set_font_size(context, size);
    cairo_text_extents_t extents;
    cairo_text_extents(context, text.c_str(), &extents);
    const double shift =
        align < 0 ? 0.0 : (align == 0 ? extents.x_advance / 2.0 : extents.x_advance);
    cairo_move_to(context, x - shift, y);
    cairo_show_text(context, text.c_str());
}

} // namespace sweepfilter::tool
