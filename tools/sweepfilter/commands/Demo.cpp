#include "Demo.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <random>
#include <vector>

#include "Interruption.h"
#include "ToolError.h"
#include "OutputFile.h"
#include "Render.h"
#include "Response.h"
#include "TimeFrequencyPicture.h"
#include "SoundFile.h"

namespace sweepfilter::tool
{
namespace
{

constexpr int sampleRate = 44100;

struct DemoSetting
{
    const char* parameter;
    const char* value;
};

struct DemoRender
{
    const char* file;
    const char* description;
    std::vector<DemoSetting> settings;
};

// Parameter values: Tempo 0.4286 is 120 BPM; Resolution 0.25 is 4 notes, 0.1 is 2 notes.
const DemoRender demoRenders[] = {
    {"01-default.wav",
     "program 0, the defaults: the filter wide open at 20 kHz, nearly the dry signal",
     {}},
    {"02-soft-sweep.wav",
     "soft filter around 2 kHz, resonant, swept +-1.1 kHz in a 2-second cycle (120 BPM, 4 notes)",
     {{"cutoff", "0.45"},
      {"q factor", "0.85"},
      {"mod range", "0.2"},
      {"tempo", "0.4286"},
      {"resolution", "0.25"}}},
    {"03-hard-sweep.wav",
     "hard resonant filter around 2.5 kHz, swept +-2.1 kHz once a second (120 BPM, 2 notes)",
     {{"cutoff", "0.5"},
      {"q factor", "0.95"},
      {"algorithm", "1.0"},
      {"mod range", "0.4"},
      {"tempo", "0.4286"},
      {"resolution", "0.1"}}},
    {"04-hard-static.wav",
     "hard filter fixed at 1 kHz with strong resonance, no sweep",
     {{"cutoff", "0.3"}, {"q factor", "0.9"}, {"algorithm", "1.0"}}},
    {"05-flanger-send.wav",
     "soft filter at 4 kHz plus the dry signal delayed by 10 samples at 70 %: a comb-filtered "
     "colour",
     {{"cutoff", "0.6"}, {"q factor", "0.6"}, {"send flanger", "0.7"}, {"flanger delay", "0.05"}}},
};

// Three seconds of an A minor chord of band-limited sawtooths (every harmonic below Nyquist),
// then two seconds of white noise; the channels' noise differs.
std::vector<float> makeDemoSignal()
{
    const double pitches[] = {110.0, 130.8128, 164.8138};
    const std::size_t chordFrames = 3 * sampleRate, noiseFrames = 2 * sampleRate;
    std::vector<float> frames(2 * (chordFrames + noiseFrames));
    for (std::size_t i = 0; i < chordFrames; ++i)
    {
        if (i % 4096 == 0) // the harmonics take a while: stay quick to stop
            throwIfInterrupted();
        const double t = static_cast<double>(i) / sampleRate;
        double sum = 0.0;
        for (double pitch : pitches)
            for (int k = 1; k * pitch < sampleRate / 2.0; ++k)
                sum += std::sin(2.0 * std::numbers::pi * k * pitch * t) / k;
        const auto sample = static_cast<float>(0.07 * sum);
        frames[2 * i] = frames[2 * i + 1] = sample;
    }
    std::mt19937 generator(2024);
    std::uniform_real_distribution<float> noise(-0.15f, 0.15f);
    for (std::size_t i = 2 * chordFrames; i < frames.size(); ++i)
        frames[i] = noise(generator);
    return frames;
}

void writeSignal(const std::filesystem::path& path, const std::vector<float>& frames)
{
    OutputFile file(path.string());
    SoundFile sound =
        SoundFile::createForWriting(file, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, sampleRate);
    sound.write(frames.data(), static_cast<std::int64_t>(frames.size() / 2));
    sound.close();
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    OutputFile file(path.string());
    file.writeAll(text.data(), text.size());
    file.commit();
}

// The demo's steps, each writing some of the files; interrupted, the message names what was
// finished and stays.
void runSteps(const std::filesystem::path& base, const std::string& pluginPath, Verbosity verbosity,
              std::string& listing, std::vector<std::string>& written)
{
    const auto inputPath = base / "00-input.wav";
    writeSignal(inputPath, makeDemoSignal());
    written.push_back("00-input.wav");
    writeSpectrogram(inputPath.string(), (base / "00-input-spectrogram.png").string(),
                     ChannelChoice::mid);
    written.push_back("00-input-spectrogram.png");

    listing = "00-input.wav: the dry test signal: 3 s of a band-limited sawtooth "
              "chord (A minor), then 2 s of white noise; 44.1 kHz float stereo\n";
    for (const auto& demo : demoRenders)
    {
        RenderOptions options;
        options.input = inputPath.string();
        options.output = (base / demo.file).string();
        options.plugin = pluginPath;
        options.program = 0;
        for (const auto& [parameter, value] : demo.settings)
            options.settings.push_back({parameter, value, std::string(parameter) + "=" + value});
        options.tailSeconds = 0.5;
        options.verbosity = verbosity;
        render(options);
        written.push_back(demo.file);
        // Pictures: the static response of the setting (the sweep held still at its centre),
        // and the spectrogram of the render.
        const std::string stem = std::filesystem::path(demo.file).stem().string();
        ResponseOptions response;
        response.plugin = pluginPath;
        response.program = 0;
        for (const auto& setting : options.settings)
            if (setting.parameter != "mod range")
                response.settings.push_back(setting);
        response.picture = (base / (stem + "-response.png")).string();
        writeResponse(response);
        written.push_back(stem + "-response.png");
        writeSpectrogram(options.output, (base / (stem + "-spectrogram.png")).string(),
                         ChannelChoice::mid);
        written.push_back(stem + "-spectrogram.png");
        listing += std::string(demo.file) + ": " + demo.description + "\n    pictures: " + stem +
                   "-response.png (its filter's response), " + stem + "-spectrogram.png\n";
    }
    writeText(base / "listing.txt", listing);
}

} // namespace

void runDemo(const std::string& folder, const std::string& pluginPath, Verbosity verbosity)
{
    if (folder.empty())
        throw ToolError(ExitCode::usage, "the demo's folder is empty");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error))
        throw ToolError(ExitCode::audioFile,
                        "cannot create the folder " + folder + ": " +
                            (error ? error.message() : "a file is in the way"));
    std::string listing;
    std::vector<std::string> written;
    try
    {
        runSteps(folder, pluginPath, verbosity, listing, written);
    }
    catch (const ToolError& failure)
    {
        if (written.empty())
            throw;
        std::string names;
        for (const auto& name : written)
            names += (names.empty() ? "" : ", ") + name;
        const int signal = receivedSignal();
        throw ToolError(failure.code(),
                        (signal ? std::string("interrupted by ") + signalName(signal)
                                : std::string(failure.what())) +
                            "; the files finished before stay in " + folder + ": " + names);
    }
    std::printf("Wrote to %s:\n%s", folder.c_str(), listing.c_str());
}

} // namespace sweepfilter::tool
