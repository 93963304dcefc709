#include "Response.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "EffectSetup.h"
#include "ToolError.h"
#include "FourierAnalysis.h"
#include "HostedPlugin.h"
#include "Interruption.h"
#include "OutputFile.h"
#include "Picture.h"

namespace sweepfilter::tool
{
namespace
{

constexpr double sampleRate = 44100.0;
constexpr double tailThreshold = 1e-7; // -140 dB
constexpr std::size_t shortestResponse = 65536, longestResponse = std::size_t{1} << 21;

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The impulse response of both channels, long enough for its tail to have decayed below
// -140 dB over the last 1024 frames (or as long as the longest response allows).
void measureImpulse(host::HostedPlugin& plugin, std::vector<double>& left,
                    std::vector<double>& right)
{
    constexpr std::int32_t block = 4096;
    std::vector<float> inLeft(block), inRight(block), outLeft(block), outRight(block);
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    inLeft[0] = inRight[0] = 1.0f;
    std::size_t quietFrames = 0;
    while (left.size() < shortestResponse || (quietFrames < 1024 && left.size() < longestResponse))
    {
        plugin.process(inputs, outputs, block);
        inLeft[0] = inRight[0] = 0.0f;
        for (std::size_t i = 0; i < static_cast<std::size_t>(block); ++i)
        {
            left.push_back(outLeft[i]);
            right.push_back(outRight[i]);
            const bool quiet =
                std::fabs(outLeft[i]) < tailThreshold && std::fabs(outRight[i]) < tailThreshold;
            quietFrames = quiet ? quietFrames + 1 : 0;
        }
    }
    // A power of two keeps the transform fast; the tail padding is silence anyway.
    std::size_t size = shortestResponse;
    while (size < left.size())
        size *= 2;
    left.resize(size, 0.0);
    right.resize(size, 0.0);
}

std::string decibelText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f dB", value);
    return text;
}

std::string hertzText(double hz)
{
    char text[32];
    if (hz >= 1000.0)
        std::snprintf(text, sizeof text, "%.2f kHz", hz / 1000.0);
    else
        std::snprintf(text, sizeof text, "%.1f Hz", hz);
    return text;
}

void drawCurve(cairo_t* cr, const FrequencyAxes& axes, const MeasuredResponse& response,
               const std::vector<double>& values, double bottom)
{
    bool drawing = false;
    for (std::size_t k = 1; k < values.size(); ++k)
    {
        const double hz = response.frequencies[k];
        if (hz < 20.0)
            continue;
        const double y = axes.y(std::max(values[k], bottom));
        if (drawing)
            cairo_line_to(cr, axes.x(hz), y);
        else
            cairo_move_to(cr, axes.x(hz), y);
        drawing = true;
    }
    cairo_stroke(cr);
}

void drawResponse(const MeasuredResponse& response, const std::string& path)
{
    // Four values to a caption line; the picture grows by a line for each beyond two.
    const auto captionLines = static_cast<int>((response.caption.size() + 3) / 4);
    Picture picture(path, 900, 540 + 18 * std::max(0, captionLines - 2));
    cairo_t* cr = picture.context();
    const double nyquist = response.sampleRate / 2.0;

    // The peak and the first fall to -3 dB, over the plotted range.
    std::size_t peak = 0, first = 0;
    for (std::size_t k = 0; k < response.left.size(); ++k)
    {
        if (response.frequencies[k] < 20.0)
            continue;
        if (!first)
            first = k;
        if (!peak || response.left[k] > response.left[peak])
            peak = k;
    }
    const double peakDb = response.left[peak];
    const double topDb = std::max(6.0, std::ceil((peakDb + 3.0) / 6.0) * 6.0);
    const double bottomDb = topDb - 96.0;
    FrequencyAxes axes(cr, 70, 40, 800, 400, 20.0, nyquist, bottomDb, topDb);

    axes.drawFrequencyGrid(true);
    for (double db = topDb; db >= bottomDb; db -= 12.0)
    {
        cairo_set_source_rgb(cr, db == 0.0 ? 0.55 : 0.85, db == 0.0 ? 0.55 : 0.85,
                             db == 0.0 ? 0.55 : 0.85);
        cairo_move_to(cr, axes.left, axes.y(db));
        cairo_line_to(cr, axes.left + axes.width, axes.y(db));
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        drawText(cr, axes.left - 6, axes.y(db) + 4, std::to_string(static_cast<int>(db)), 11, 1);
    }
    axes.drawFrame();
    axes.drawTitles("frequency (Hz)", "magnitude (dB)");

    cairo_save(cr);
    cairo_rectangle(cr, axes.left, axes.top, axes.width, axes.height);
    cairo_clip(cr);
    cairo_set_line_width(cr, 2.0);
    cairo_set_source_rgb(cr, 0.1, 0.35, 0.75);
    drawCurve(cr, axes, response, response.left, bottomDb);
    if (response.right != response.left)
    {
        const double dash[] = {6.0, 4.0};
        cairo_set_dash(cr, dash, 2, 0.0);
        cairo_set_source_rgb(cr, 0.85, 0.4, 0.1);
        drawCurve(cr, axes, response, response.right, bottomDb);
        cairo_set_dash(cr, nullptr, 0, 0.0);
    }
    cairo_restore(cr);

    const auto mark = [&](double hz, double db, const std::string& label, double dy) {
        cairo_set_source_rgb(cr, 0.75, 0.1, 0.1);
        cairo_arc(cr, axes.x(hz), axes.y(db), 4.0, 0.0, 2.0 * M_PI);
        cairo_fill(cr);
        const bool leftSide = axes.x(hz) > axes.left + axes.width * 0.75;
        drawText(cr, axes.x(hz) + (leftSide ? -8 : 8), axes.y(db) + dy, label, 12,
                 leftSide ? 1 : -1);
    };
    mark(response.frequencies[peak], peakDb,
         "peak " + decibelText(peakDb) + " at " + hertzText(response.frequencies[peak]), -8);
    for (std::size_t k = first + 1; first && k < response.left.size(); ++k)
    {
        if (response.left[k - 1] >= -3.0 && response.left[k] < -3.0)
        {
            // Linear between the two bins around the crossing.
            const double t =
                (response.left[k - 1] + 3.0) / (response.left[k - 1] - response.left[k]);
            const double hz = response.frequencies[k - 1] +
                              t * (response.frequencies[k] - response.frequencies[k - 1]);
            mark(hz, -3.0, "-3 dB at " + hertzText(hz), 18);
            break;
        }
    }

    cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
    std::string line;
    double y = axes.top + axes.height + 58;
    for (std::size_t i = 0; i < response.caption.size(); ++i)
    {
        line += (line.empty() ? "" : "   ") + response.caption[i];
        if (i % 4 == 3 || i + 1 == response.caption.size())
        {
            drawText(cr, axes.left, y, line, 12);
            line.clear();
            y += 18;
        }
    }
    if (response.right != response.left)
    {
        drawText(cr, axes.left + axes.width, 28, "left: solid, right: dashed", 11, 1);
    }
    picture.save();
}

void writeCsv(const MeasuredResponse& response, const std::string& path)
{
    std::string text = "frequency_hz,left_db,right_db\n";
    char row[96];
    for (std::size_t k = 0; k < response.frequencies.size(); ++k)
    {
        std::snprintf(row, sizeof row, "%.6f,%.6f,%.6f\n", response.frequencies[k],
                      response.left[k], response.right[k]);
        text += row;
    }
    OutputFile file(path);
    file.writeAll(text.data(), text.size());
    file.commit();
}

} // namespace

MeasuredResponse measureResponse(const ResponseOptions& options)
{
    const auto plugin = host::openPlugin(options.plugin);
    checkProgram(*plugin, options.program);
    // A sweep or a send would make the impulse response time-variant: hold them off unless
    // the settings say otherwise. A plug-in without such parameters is left alone.
    std::vector<ResolvedValue> settings;
    for (const char* held : {"Mod Range", "Send Flanger"})
        if (const auto index = plugin->findParameter(held))
            settings.push_back({*index, 0.0});
    for (const auto& setting : resolveSettings(*plugin, options.settings))
        settings.push_back(setting);
    startSession(*plugin, {{sampleRate, 4096, std::nullopt, false}, options.program, settings});

    MeasuredResponse response;
    std::vector<double> left, right;
    measureImpulse(*plugin, left, right);
    throwIfInterrupted("no response written");
    response.left = magnitudeDecibels(left);
    response.right = magnitudeDecibels(right);
    for (std::size_t k = 0; k < response.left.size(); ++k)
        response.frequencies.push_back(static_cast<double>(k) * sampleRate /
                                       static_cast<double>(left.size()));
    for (std::size_t i = 0; i < plugin->parameters().size(); ++i)
        response.caption.push_back(trimmed(plugin->parameters()[i].name) + " " +
                                   plugin->valueText(i));
    plugin->stop();
    return response;
}

void checkResponseOptions(const ResponseOptions& options)
{
    if (options.picture.empty() && options.csv.empty())
        throw ToolError(ExitCode::usage,
                        "say where the response goes: -o FILE.png|FILE.svg and/or --csv FILE");
    if (!options.picture.empty())
        Picture::checkPath(options.picture);
    if (!options.csv.empty())
        OutputFile::checkPath(options.csv);
    if (!options.picture.empty() && !options.csv.empty() &&
        OutputFile::samePath(options.picture, options.csv))
        throw ToolError(ExitCode::usage,
                        "the picture and the numbers would go to the same file: " + options.csv);
}

void writeResponse(const ResponseOptions& options)
{
    checkResponseOptions(options);
    const MeasuredResponse response = measureResponse(options);
    if (!options.picture.empty())
        drawResponse(response, options.picture);
    if (!options.csv.empty())
        writeCsv(response, options.csv);
}

} // namespace sweepfilter::tool
