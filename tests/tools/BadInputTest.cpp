// Bad command lines, input files and plug-ins: each gets its exit code and a message that names
// the problem, and leaves nothing behind.

#include <gtest/gtest.h>

#include <csignal>
#include <cmath>
#include <fstream>
#include <limits>

#include "OutcomeTable.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

// The folder every table runs in: a good input and the bad ones the cases name.
class BadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeAudio(folder / "in.wav", input);
        writeAudio(folder / "three.wav", Audio{3, 44100, noise(3000, 2)});
        writeAudio(folder / "fast.wav", Audio{2, 384000, noise(2000, 2)});
        writeAudio(folder / "empty.wav", Audio{2, 44100, {}});
        Audio withNaN = input;
        withNaN.samples[2 * 5] = std::numeric_limits<float>::quiet_NaN();
        writeAudio(folder / "nan.wav", withNaN);
        Audio withInfinities = input;
        withInfinities.samples[2 * 7] = std::numeric_limits<float>::infinity();
        withInfinities.samples[2 * 7 + 1] = -std::numeric_limits<float>::infinity();
        withInfinities.samples[2 * 100] = std::numeric_limits<float>::infinity();
        writeAudio(folder / "inf.wav", withInfinities);
        std::ofstream(folder / "text.wav") << "this is not audio";
    }
    void TearDown() override
    {
        // Whatever ran, the input is untouched.
        EXPECT_EQ(readAudio(folder / "in.wav").samples, input.samples);
    }

    TestFolder folder;
    Audio input{2, 44100, noise(2000, 1)};
};

TEST_F(BadInput, OptionsAreCheckedBeforeAnyWork)
{
    const std::vector<std::string> render = {"render", "{IN}", "{OUT}"};
    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments = render;
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    };
    expectOutcomes(
        folder,
        {
            {"unknown parameter name", with({"--set", "resonance=0.5"}), 2,
             "unknown parameter 'resonance'"},
            {"unknown parameter index", with({"--set", "8=0.5"}), 2, "unknown parameter '8'"},
            // Names are checked before the input is read through.
            {"unknown parameter name, input with NaN",
             {"render", "{FOLDER}nan.wav", "{OUT}", "--automate", "cutof@1smp=0.5"},
             2,
             "unknown parameter 'cutof'"},
            {"value above 1", with({"--set", "cutoff=1.5"}), 2, "outside 0..1"},
            {"value below 0", with({"--set", "cutoff=-0.1"}), 2, "outside 0..1"},
            {"value not a number", with({"--set", "cutoff=high"}), 2, "not a number"},
            {"value NaN", with({"--set", "cutoff=nan"}), 2, "not a number"},
            {"setting without value", with({"--set", "cutoff"}), 2, "PARAM=VALUE"},
            {"automation beyond the end", with({"--automate", "cutoff@2s=0.5"}), 2,
             "beyond the end"},
            {"automation far beyond any frame", with({"--automate", "cutoff@1e15s=0.2"}), 2,
             "beyond the end"},
            {"automation at a 20-digit sample",
             with({"--automate", "cutoff@99999999999999999999smp=0.2"}), 2, "beyond the end"},
            {"automation at a negative time", with({"--automate", "cutoff@-1s=0.2"}), 2,
             "not a time"},
            {"automation at an infinite time", with({"--automate", "cutoff@infs=0.2"}), 2,
             "not a time"},
            {"automation time not a time", with({"--automate", "cutoff@soon=0.5"}), 2,
             "not a time"},
            {"tail not a number", with({"--tail", "nan"}), 2, "--tail"},
            {"tail infinite", with({"--tail", "inf"}), 2, "--tail"},
            {"tail negative", with({"--tail", "-1"}), 2, "--tail"},
            {"tail above an hour", with({"--tail", "3601"}), 2, "--tail"},
            {"unknown program", with({"--program", "16"}), 2, "program 16 does not exist"},
            {"negative program", with({"--program", "-1"}), 2, "program -1 does not exist"},
            {"program beyond 32 bits", with({"--program", "99999999999"}), 2, "--program"},
            {"block size zero", with({"--block", "0"}), 2, "--block"},
            {"block size too large", with({"--block", "2097152"}), 2, "--block"},
            {"block size not a number", with({"--block", "many"}), 2, "--block"},
            {"tail empty", with({"--tail", ""}), 2, "--tail: an empty value is not a number"},
            {"program empty", with({"--program", ""}), 2, "--program: an empty value"},
            {"block size empty", with({"--block", ""}), 2, "--block: an empty value"},
            {"unknown sample format", with({"--format", "pcm12"}), 2, "--format"},
            {"output equals input", {"render", "{IN}", "{IN}"}, 2, "would overwrite the input"},
            {"output path empty", {"render", "{IN}", ""}, 2, "output path is empty"},
            {"output is the current folder", {"render", "{IN}", "."}, 2, "is a folder"},
            {"output is a folder", {"render", "{IN}", "{FOLDER}"}, 2, "is a folder"},
            {"output names a folder", {"render", "{IN}", "{FOLDER}new/"}, 2, "names a folder"},
            {"output folder missing",
             {"render", "{IN}", "{FOLDER}no/such/out.wav"},
             2,
             "output's folder does not exist"},
            {"output name too long",
             {"render", "{IN}", "{FOLDER}" + std::string(256, 'n') + ".wav"},
             2,
             "File name too long"},
            {"output inside a file", {"render", "{IN}", "{IN}/out.wav"}, 2, "Not a directory"},
            {"output extension unknown",
             {"render", "{IN}", "{FOLDER}out.xyz"},
             2,
             "cannot write '.xyz' files"},
            {"container type unknown", with({"--type", "xyz"}), 2, "cannot write '.xyz' files"},
            {"float into FLAC",
             {"render", "{IN}", "{FOLDER}out.flac"},
             2,
             "FLAC (.flac files) cannot hold 32-bit float samples; use --format pcm16 or "
             "--format pcm24"},
            {"sample format for a lossy codec",
             {"render", "{IN}", "{FOLDER}out.mp3", "--format", "pcm16"},
             2,
             "--format pcm16 does not apply"},
            {"Opus at 44.1 kHz",
             {"render", "{IN}", "{FOLDER}out.opus"},
             2,
             "cannot hold 2 channels at 44100 Hz"},
            {"WAV beyond 4 GiB",
             {"render", "{FOLDER}fast.wav", "{OUT}", "--tail", "3600"},
             2,
             "beyond the 4 GiB WAV (.wav files) can hold; write .w64, .rf64 or .caf instead"},
            {"AIFF beyond 4 GiB",
             {"render", "{FOLDER}fast.wav", "{FOLDER}out.aiff", "--tail", "2000", "--format",
              "pcm24"},
             2,
             "beyond the 4 GiB AIFF"},
            {"container named by --type", with({"--type", "wav"}), 0, "", "out.wav"},
            {"response without output", {"response"}, 2, "say where the response goes"},
            {"response picture not a picture",
             {"response", "-o", "{FOLDER}r.jpg"},
             2,
             ".png or .svg"},
            {"response csv into a folder", {"response", "--csv", "{FOLDER}"}, 2, "is a folder"},
            {"response picture and numbers into one file",
             {"response", "-o", "{FOLDER}r.png", "--csv", "{FOLDER}./r.png"},
             2,
             "the picture and the numbers would go to the same file"},
            {"spectrogram output empty",
             {"spectrogram", "{IN}", "-o", ""},
             2,
             "output path is empty"},
            {"demo folder empty", {"demo", ""}, 2, "folder is empty"},
        });
}

TEST_F(BadInput, MisspeltNamesAreNamedWithTheNearestValidOne)
{
    expectOutcomes(
        folder,
        {
            {"misspelt subcommand",
             {"rendr", "{IN}", "{OUT}"},
             2,
             "unknown subcommand 'rendr'; did you mean 'render'?"},
            {"misspelt subcommand, letters swapped",
             {"spectorgram", "{IN}"},
             2,
             "did you mean 'spectrogram'?"},
            {"unknown subcommand", {"transmogrify"}, 2, "unknown subcommand 'transmogrify'"},
            {"misspelt option",
             {"render", "{IN}", "{OUT}", "--tial", "1"},
             2,
             "unknown option '--tial' for render; did you mean '--tail'?"},
            {"misspelt option with its value",
             {"render", "{IN}", "{OUT}", "--atomate=cutoff@0=1"},
             2,
             "did you mean '--automate'?"},
            {"option of another subcommand",
             {"info", "--tail", "1"},
             2,
             "unknown option '--tail' for info"},
            {"no subcommand", {}, 2, "subcommand"},
        });
}

TEST_F(BadInput, InputFileProblemsAreNamed)
{
    expectOutcomes(
        folder,
        {
            {"missing input", {"render", "{FOLDER}absent.wav", "{OUT}"}, 3, "input file not found"},
            {"corrupt input", {"render", "{FOLDER}text.wav", "{OUT}"}, 3, "cannot read audio file"},
            {"input is a folder", {"render", "{FOLDER}", "{OUT}"}, 3, "is a folder"},
            {"three channels", {"render", "{FOLDER}three.wav", "{OUT}"}, 3, "has 3 channels"},
            {"no frames and no tail",
             {"render", "{FOLDER}empty.wav", "{OUT}"},
             3,
             "holds no audio; --tail SECONDS renders the effect's tail alone"},
            {"a NaN sample",
             {"render", "{FOLDER}nan.wav", "{OUT}"},
             3,
             "holds 1 non-finite samples (NaN or infinity), the first at frame 5; "
             "--zero-non-finite renders them as zero"},
            {"infinite samples",
             {"render", "{FOLDER}inf.wav", "{OUT}"},
             3,
             "holds 3 non-finite samples (NaN or infinity), the first at frame 7"},
            {"infinite samples rendered as zero",
             {"render", "{FOLDER}inf.wav", "{OUT}", "--zero-non-finite"},
             0,
             "rendered 3 non-finite input samples as zero, the first at frame 7",
             "out.wav"},
            {"spectrogram of no frames",
             {"spectrogram", "{FOLDER}empty.wav", "-o", "{FOLDER}s.png"},
             3,
             "holds no audio"},
        });
}

TEST_F(BadInput, PluginProblemsAreNamed)
{
    expectOutcomes(folder,
                   {
                       {"plug-in missing",
                        {"render", "{IN}", "{OUT}", "--plugin", "{FOLDER}none.so"},
                        4,
                        "plug-in library not found"},
                       {"plug-in not a library",
                        {"render", "{IN}", "{OUT}", "--plugin", "{FOLDER}text.wav"},
                        4,
                        "cannot load plug-in library"},
                       {"plug-in without main",
                        {"render", "{IN}", "{OUT}", "--plugin", "{SNDFILE}"},
                        4,
                        "exports no 'main'"},
                       {"plug-in main returns null",
                        {"info", "--plugin", "{FAKES}/fake_null_effect.so"},
                        4,
                        "made no effect"},
                       {"plug-in record with wrong magic",
                        {"render", "{IN}", "{OUT}", "--plugin", "{FAKES}/fake_wrong_magic.so"},
                        4,
                        "wrong magic"},
                       {"plug-in crashing in processing",
                        {"render", "{IN}", "{OUT}", "--set", "P7=0", "--plugin",
                         "{FAKES}/fake_texts_on_open.so"},
                        128 + SIGILL,
                        "crashed (a fault in the plug-in?); no output written"},
                       {"plug-in with one channel",
                        {"render", "{IN}", "{OUT}", "--plugin", "{FAKES}/fake_mono_effect.so"},
                        4,
                        "1 inputs and 1 outputs"},
                   });
}

// LV2 and CLAP plug-ins take values in their own units and by name, within their ranges, and
// host time; what their standard lacks is refused before any work.
TEST_F(BadInput, EveryStandardTakesItsOwnValues)
{
    std::ofstream(folder / "text.clap") << "not a module";
    const auto render = [](const std::string& plugin, std::vector<std::string> more) {
        std::vector<std::string> arguments = {"render", "{IN}", "{OUT}", "--plugin", plugin};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    };
    std::vector<Outcome> cases = {
        {"CLAP value in its unit", render("{CLAP}", {"--set", "cutoff=1000 Hz"}), 0, "", "out.wav"},
        {"CLAP value by name, host time",
         render("{CLAP}", {"--set", "sync=Host", "--tempo", "90", "--beat", "3"}), 0, "",
         "out.wav"},
        {"CLAP value outside its range", render("{CLAP}", {"--set", "tempo=20"}), 2,
         "value 20 is outside 60..200"},
        {"CLAP value name unknown", render("{CLAP}", {"--set", "sync=sometimes"}), 2,
         "not a number: 'sometimes'"},
        {"CLAP automation by name", render("{CLAP}", {"--automate", "algorithm@10smp=hard"}), 0, "",
         "out.wav"},
        {"CLAP accumulating", render("{CLAP}", {"--accumulate"}), 2,
         "no accumulating process call"},
        {"CLAP program", render("{CLAP}", {"--program", "1"}), 2, "the plug-in has none"},
        {"CLAP tempo zero", render("{CLAP}", {"--tempo", "0"}), 2, "--tempo"},
        {"beat without tempo", render("{CLAP}", {"--beat", "4"}), 2, "--beat requires --tempo"},
        {"2.0 plug-in given host time",
         {"render", "{IN}", "{OUT}", "--tempo", "120"},
         2,
         "takes no host time"},
        {"2.0 value by name",
         {"render", "{IN}", "{OUT}", "--set", "algorithm=hard"},
         2,
         "not a number: 'hard'"},
        {"not a CLAP module", render("{FOLDER}text.clap", {}), 4, "cannot load plug-in library"},
        {"LV2 URI not installed", render("urn:nothing:here", {}), 4,
         "no LV2 plug-in urn:nothing:here"},
        {"folder without an LV2 bundle", render("{FOLDER}", {}), 4, "describes no plug-in"},
        {"CLAP info", {"info", "--json", "--plugin", "{CLAP}"}, 0, "\"standard\": \"CLAP\""},
    };
#ifdef SWEEPFILTER_LV2_BUNDLE
    cases.insert(
        cases.end(),
        {
            {"LV2 value by name",
             render("{LV2}", {"--set", "algorithm=hard", "--set", "sync=Host"}), 0, "", "out.wav"},
            {"LV2 value outside its range", render("{LV2}", {"--set", "cutoff=50000"}), 2,
             "value 50000 is outside 104.4"},
            {"LV2 value NaN", render("{LV2}", {"--set", "q_factor=nan"}), 2, "not a number"},
            {"LV2 host time", render("{LV2}", {"--tempo", "140"}), 0, "", "out.wav"},
            {"LV2 info", {"info", "--plugin", "{LV2}"}, 0, "uri         urn:sweepfilter:lv2"},
        });
#endif
    expectOutcomes(folder, cases);
}

} // namespace
} // namespace sweepfilter::test
