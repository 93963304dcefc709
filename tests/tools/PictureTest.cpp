#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>
#include <vector>

#include <cairo.h>

#include "LowpassBiquad.h"
#include "ParameterMapping.h"
#include "FourierAnalysis.h"
#include "TestSignals.h"
#include "ToolSupport.h"

namespace sweepfilter::test
{
namespace
{

struct ResponseTable
{
    std::vector<double> hz, left, right;

    // The left channel's level at any frequency, linear between the two bins around it.
    double leftAt(double frequency) const
    {
        const double spacing = hz[1] - hz[0];
        const auto k = static_cast<std::size_t>(frequency / spacing);
        const double t = (frequency - hz[k]) / spacing;
        return left[k] + t * (left[k + 1] - left[k]);
    }
};

ResponseTable measure(const std::vector<std::string>& settings, const TestFolder& folder)
{
    std::vector<std::string> command = {"response", "--plugin", SWEEPFILTER_PLUGIN_PATH, "--csv",
                                        folder / "response.csv"};
    for (const auto& setting : settings)
    {
        command.push_back("--set");
        command.push_back(setting);
    }
    const ToolResult result = runTool(command);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    std::istringstream csv(readText(folder / "response.csv"));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "frequency_hz,left_db,right_db");
    ResponseTable table;
    while (std::getline(csv, line))
    {
        double hz, left, right;
        char comma1, comma2;
        std::istringstream row(line);
        row >> hz >> comma1 >> left >> comma2 >> right;
        EXPECT_TRUE(row && comma1 == ',' && comma2 == ',') << line;
        table.hz.push_back(hz);
        table.left.push_back(left);
        table.right.push_back(right);
    }
    return table;
}

// |H| in dB of the soft filter's own coefficients at frequency f.
double analyticDecibels(const LowpassBiquad::Coefficients& c, double f, double sampleRate)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    const auto h = (double{c.b0} + double{c.b1} * z1 + double{c.b2} * z2) /
                   (1.0 + double{c.a1} * z1 + double{c.a2} * z2);
    return 20.0 * std::log10(std::abs(h));
}

TEST(ResponseCommand, SoftResponseIsTheResponseOfItsCoefficients)
{
    TestFolder folder;
    for (auto [cutoff, q] : {std::pair{0.3f, 0.0f}, {0.6f, 0.5f}, {0.9f, 0.9f}})
    {
        const ResponseTable table =
            measure({"cutoff=" + std::to_string(cutoff), "q factor=" + std::to_string(q)}, folder);
        ASSERT_GT(table.hz.size(), 32768u);
        LowpassBiquad filter;
        filter.computeCoefficients(
            mapping::cutoffHz(static_cast<float>(std::stod(std::to_string(cutoff)))),
            mapping::resonance(static_cast<float>(std::stod(std::to_string(q)))), 44100.0f);
        EXPECT_NEAR(table.left[0], 0.0, 1e-4); // 0 Hz passes at 0 dB
        for (std::size_t k = 0; k < table.hz.size(); ++k)
        {
            if (table.hz[k] < 20.0 || table.hz[k] > 0.45 * 44100.0)
                continue;
            ASSERT_NEAR(table.left[k],
                        analyticDecibels(filter.coefficients(), table.hz[k], 44100.0), 0.05)
                << "cutoff " << cutoff << " q " << q << " at " << table.hz[k] << " Hz";
            ASSERT_EQ(table.left[k], table.right[k]);
        }
    }
}

// Without pre-warping the analogue corner fc lands at (fs/pi) atan(pi fc / fs), with the
// level the analogue filter has at its corner: 1 / (2 zeta), zeta = 2 (1 - resonance).
TEST(ResponseCommand, SoftCornerLandsWhereTheBilinearTransformPutsIt)
{
    TestFolder folder;
    for (auto [cutoff, q] : {std::pair{0.3f, 0.0f}, {0.55f, 0.0f}, {0.45f, 0.75f / 0.99f}})
    {
        const ResponseTable table =
            measure({"cutoff=" + std::to_string(cutoff), "q factor=" + std::to_string(q)}, folder);
        const float cutoffValue = static_cast<float>(std::stod(std::to_string(cutoff)));
        const float qValue = static_cast<float>(std::stod(std::to_string(q)));
        const double fc = mapping::cutoffHz(cutoffValue);
        const double zeta = 2.0 * (1.0 - double{mapping::resonance(qValue)});
        const double warped =
            44100.0 / std::numbers::pi * std::atan(std::numbers::pi * fc / 44100.0);
        EXPECT_NEAR(table.leftAt(warped), 20.0 * std::log10(1.0 / (2.0 * zeta)), 0.05)
            << "fc " << fc << " lands at " << warped;
    }
}

TEST(ResponseCommand, HardResonancePeakGrowsWithQ)
{
    TestFolder folder;
    double previousPeak = -1000.0;
    for (const char* q : {"0.3", "0.6", "0.9"})
    {
        const ResponseTable table =
            measure({"algorithm=1", "cutoff=0.4", std::string("q factor=") + q}, folder);
        double peak = -1000.0;
        for (double level : table.left)
        {
            ASSERT_TRUE(std::isfinite(level));
            peak = std::max(peak, level);
        }
        EXPECT_GT(peak, previousPeak + 1.0) << q;
        previousPeak = peak;
    }
}

bool isPng(const std::string& path, int width, int height)
{
    const std::string data = readText(path);
    if (data.size() < 24 || data.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return false;
    const auto word = [&](std::size_t at) {
        return (static_cast<unsigned char>(data[at]) << 24) |
               (static_cast<unsigned char>(data[at + 1]) << 16) |
               (static_cast<unsigned char>(data[at + 2]) << 8) |
               static_cast<unsigned char>(data[at + 3]);
    };
    return data.compare(12, 4, "IHDR") == 0 && word(16) == width && word(20) == height;
}

TEST(PictureCommands, WriteValidPngAndSvg)
{
    TestFolder folder;
    Audio tone{2, 44100, {}};
    for (int i = 0; i < 44100; ++i)
    {
        const auto s =
            static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 44100.0));
        tone.samples.push_back(s);
        tone.samples.push_back(-s);
    }
    writeAudio(folder / "tone.wav", tone);
    ASSERT_EQ(
        runTool({"response", "--plugin", SWEEPFILTER_PLUGIN_PATH, "-o", folder / "r.png"}).exitCode,
        0);
    ASSERT_EQ(
        runTool({"response", "--plugin", SWEEPFILTER_PLUGIN_PATH, "-o", folder / "r.svg"}).exitCode,
        0);
    ASSERT_EQ(
        runTool({"spectrogram", folder / "tone.wav", "-o", folder / "s.png", "--channel", "right"})
            .exitCode,
        0);
    EXPECT_TRUE(isPng(folder / "r.png", 900, 540));
    EXPECT_TRUE(isPng(folder / "s.png", 900, 480));
    const std::string svg = readText(folder / "r.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.find_last_not_of(" \n") - 5, 6), "</svg>");

    // Bad input: a message, a non-zero exit and no picture left behind.
    const auto before = folder.files();
    EXPECT_EQ(runTool({"spectrogram", folder / "none.wav", "-o", folder / "x.png"}).exitCode, 3);
    EXPECT_EQ(runTool({"spectrogram", folder / "tone.wav", "-o", folder / "x.jpg"}).exitCode, 2);
    EXPECT_EQ(runTool({"spectrogram", folder / "tone.wav", "-o", folder / "no/x.png"}).exitCode, 2);
    EXPECT_EQ(runTool({"response", "--plugin", SWEEPFILTER_PLUGIN_PATH, "--set", "nothing=1", "-o",
                       folder / "x.png"})
                  .exitCode,
              2);
    EXPECT_EQ(runTool({"response", "--plugin", SWEEPFILTER_PLUGIN_PATH}).exitCode, 2);
    EXPECT_EQ(folder.files().size(), before.size());
}

TEST(Spectrogram, PeakFollowsASineSweep)
{
    // An exponential sweep from 200 Hz to 8 kHz over two seconds.
    const double rate = 44100.0, seconds = 2.0, low = 200.0, high = 8000.0;
    std::vector<float> sweep;
    const double k = std::log(high / low) / seconds;
    for (int i = 0; i < static_cast<int>(rate * seconds); ++i)
    {
        const double t = i / rate;
        sweep.push_back(static_cast<float>(
            0.5 * std::sin(2.0 * std::numbers::pi * low * (std::exp(k * t) - 1.0) / k)));
    }
    tool::ShortTimeSpectrum spectrum(2048);
    const double binHz = rate / 2048.0;
    for (std::size_t frame = 8; (frame + 16) * 256 < sweep.size(); frame += 8)
    {
        const auto from = sweep.begin() + static_cast<std::ptrdiff_t>(frame * 256);
        const auto to =
            sweep.begin() + static_cast<std::ptrdiff_t>(std::min(sweep.size(), frame * 256 + 2048));
        const auto row = spectrum.frameDecibels(std::vector<float>(from, to));
        const auto peak =
            static_cast<std::size_t>(std::max_element(row.begin(), row.end()) - row.begin());
        const double centre = (static_cast<double>(frame * 256) + 1024.0) / rate;
        const double expected = low * std::exp(k * centre);
        EXPECT_NEAR(static_cast<double>(peak) * binHz, expected, 0.08 * expected + 2 * binHz)
            << frame;
        // A 0.5 sine is 6 dB below full scale; sweeping through bins within a frame spreads it.
        EXPECT_GT(row[peak], -20.0);
        EXPECT_LT(row[peak], -5.0);
    }
}

// Every frame of the input counts: a 0.2 s tone in ten quiet minutes shows in its column
// (which spans 0.86 s) however it falls against the column's middle.
TEST(Spectrogram, AShortEventInALongFileShows)
{
    TestFolder folder;
    const int rate = 8000;
    std::vector<float> samples = noise(600 * rate, 6);
    for (auto& sample : samples)
        sample *= 0.001f;
    const std::size_t start = 300 * rate; // the start of column 350's span
    for (std::size_t i = start; i < start + rate / 5; ++i)
        samples[i] = static_cast<float>(
            0.9 * std::sin(2.0 * std::numbers::pi * 1300.0 * static_cast<double>(i) / rate));
    writeAudio(folder / "event.wav", Audio{1, rate, samples}, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(runTool({"spectrogram", folder / "event.wav", "-o", folder / "s.png"}).exitCode, 0);

    cairo_surface_t* image = cairo_image_surface_create_from_png((folder / "s.png").c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    const auto brightness = [&](int x, int y) {
        const auto* row = cairo_image_surface_get_data(image) +
                          static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(image);
        const std::uint32_t pixel = reinterpret_cast<const std::uint32_t*>(row)[x];
        return ((pixel >> 16) & 255) + ((pixel >> 8) & 255) + (pixel & 255);
    };
    // The plot spans x 70..770 and y 30..410, 20 Hz to 4 kHz on a logarithmic axis (1.3 kHz
    // lies off the grid's lines).
    const int y = 30 + static_cast<int>(380.0 * (1.0 - std::log(1300.0 / 20.0) / std::log(200.0)));
    const int event = 70 + 350, elsewhere = 70 + 100;
    EXPECT_GT(brightness(event, y), brightness(elsewhere, y) + 200);
    cairo_surface_destroy(image);
}

// The peak resident memory of one run of the tool, in bytes.
long peakMemoryOfTool(const std::vector<std::string>& arguments)
{
    const pid_t child = startTool(arguments);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return usage.ru_maxrss * 1024L;
}

// The spectrogram streams its file: ten times the length takes no more memory.
TEST(Spectrogram, MemoryDoesNotGrowWithTheFilesLength)
{
    TestFolder folder;
    const auto write = [&](const std::string& name, std::size_t seconds) {
        writeAudio(folder / name, Audio{2, 8000, noise(2 * 8000 * seconds, 5)},
                   SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    };
    write("one-minute.wav", 60);
    write("ten-minutes.wav", 600);
    const long shortPeak =
        peakMemoryOfTool({"spectrogram", folder / "one-minute.wav", "-o", folder / "a.png"});
    const long longPeak =
        peakMemoryOfTool({"spectrogram", folder / "ten-minutes.wav", "-o", folder / "b.png"});
    // Holding the ten-minute file's samples alone would take 19 MB more.
    EXPECT_LT(longPeak - shortPeak, 2L << 20) << shortPeak << " vs " << longPeak;
}

} // namespace
} // namespace sweepfilter::test
