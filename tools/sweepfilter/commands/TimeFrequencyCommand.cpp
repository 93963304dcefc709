#include <memory>

#include "CommandOptions.h"
#include "Commands.h"
#include "Picture.h"
#include "TimeFrequencyPicture.h"

namespace sweepfilter::tool
{

void addSpectrogramCommand(CLI::App& app, Work& work)
{
    struct Options
    {
        std::string input, picture, channel = "left";
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("spectrogram", "Draw the spectrogram of an audio file");
    command->add_option("IN", options->input, "Audio file")->required();
    command->add_option("-o,--output", options->picture, "FILE.png or FILE.svg")->required();
    command->add_option("--channel", options->channel, "left, right or mid")
        ->check(CLI::IsMember({"left", "right", "mid"}))
        ->capture_default_str();
    command->callback([&work, options] {
        Picture::checkPath(options->picture);
        const ChannelChoice channel = options->channel == "right" ? ChannelChoice::right
                                      : options->channel == "mid" ? ChannelChoice::mid
                                                                  : ChannelChoice::left;
        work = [options, channel] { writeSpectrogram(options->input, options->picture, channel); };
    });
}

} // namespace sweepfilter::tool
