#include "OutputFormat.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "ToolError.h"

namespace sweepfilter::tool
{
namespace
{

const std::pair<const char*, int> encodings[] = {{"float", SF_FORMAT_FLOAT},
                                                 {"pcm16", SF_FORMAT_PCM_16},
                                                 {"pcm24", SF_FORMAT_PCM_24},
                                                 {"pcm32", SF_FORMAT_PCM_32}};

bool holds(int format, int channels, int sampleRate)
{
    // libsndfile's check passes Opus at any rate; its encoder takes only these.
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_OPUS && sampleRate != 8000 &&
        sampleRate != 12000 && sampleRate != 16000 && sampleRate != 24000 && sampleRate != 48000)
        return false;
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) == SF_TRUE;
}

std::vector<Container> listContainers()
{
    // The lossy ones under the names people use; libsndfile's own names for them are rarer.
    std::vector<Container> containers = {
        {"mp3", "MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, true},
        {"ogg", "Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, true},
        {"oga", "Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, true},
        {"opus", "Ogg Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, true}};
    std::erase_if(containers, [](const Container& c) { return !holds(c.format, 2, 48000); });

    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i)
    {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
        if (info.format == SF_FORMAT_OGG || info.format == SF_FORMAT_MPEG)
            continue;
        const bool writable =
            std::any_of(std::begin(encodings), std::end(encodings), [&](const auto& encoding) {
                return holds(info.format | encoding.second, 2, 44100);
            });
        const auto known = [&](const std::string& extension) {
            return std::any_of(containers.begin(), containers.end(),
                               [&](const Container& c) { return c.extension == extension; });
        };
        if (!writable || known(info.extension))
            continue;
        // "FLAC (Free Lossless Audio Codec)" is called FLAC in messages.
        const std::string name =
            std::string(info.name).substr(0, std::string(info.name).find(" ("));
        containers.push_back({info.extension, name, info.format, false});
        if (info.format == SF_FORMAT_AIFF)
            containers.push_back({"aif", name, info.format, false});
    }
    std::sort(containers.begin(), containers.end(),
              [](const Container& a, const Container& b) { return a.extension < b.extension; });
    return containers;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

const std::vector<Container>& writableContainers()
{
    static const std::vector<Container> containers = listContainers();
    return containers;
}

const Container& containerFor(const std::string& path, const std::string& type, bool seekable)
{
    std::string extension =
        lowerCase(type.empty() ? std::filesystem::path(path).extension().string() : type);
    if (!extension.empty() && extension.front() == '.')
        extension.erase(0, 1);
    if (extension.empty())
        extension = seekable ? "wav" : "au";
    for (const Container& container : writableContainers())
        if (container.extension == extension)
            return container;
    std::string list;
    for (const Container& container : writableContainers())
        list += (list.empty() ? "" : ", ") + container.extension;
    throw ToolError(ExitCode::usage, "cannot write '." + extension +
                                         "' files; the containers this tool writes are " + list +
                                         (type.empty() ? " (or name one with --type)" : ""));
}

int outputFormat(const Container& container, const std::string& encoding, int inputFormat,
                 int channels, int sampleRate)
{
    const std::string where = container.name + " (." + container.extension + " files)";
    if (container.lossy)
    {
        if (encoding != "float" && encoding != "input")
            throw ToolError(ExitCode::usage, where + " is encoded by its own codec; --format " +
                                                 encoding + " does not apply to it");
        if (!holds(container.format, channels, sampleRate))
            throw ToolError(ExitCode::usage, where + " cannot hold " + std::to_string(channels) +
                                                 " channels at " + std::to_string(sampleRate) +
                                                 " Hz");
        return container.format;
    }
    int subtype = inputFormat & SF_FORMAT_SUBMASK;
    for (const auto& [name, value] : encodings)
        if (encoding == name)
            subtype = value;
    if (holds(container.format | subtype, channels, sampleRate))
        return container.format | subtype;

    std::string working;
    for (const auto& [name, value] : encodings)
        if (holds(container.format | value, channels, sampleRate))
            working += std::string(working.empty() ? "" : " or ") + "--format " + name;
    const std::string what = encoding == "float"   ? "32-bit float samples"
                             : encoding == "input" ? "the input's encoding"
                                                   : encoding + " samples";
    throw ToolError(
        ExitCode::usage,
        where + " cannot hold " + what +
            (working.empty() ? " at " + std::to_string(sampleRate) + " Hz" : "; use " + working));
}

void checkOutputSize(const Container& container, int format, int channels, std::int64_t frames)
{
    switch (container.format & SF_FORMAT_TYPEMASK)
    {
    case SF_FORMAT_W64:
    case SF_FORMAT_RF64:
    case SF_FORMAT_CAF:
    case SF_FORMAT_FLAC:
    case SF_FORMAT_OGG:
    case SF_FORMAT_MPEG:
    case SF_FORMAT_RAW:
        return; // lengths of 64 bits, or none to state
    default:
        break;
    }
    std::int64_t bytesPerSample = 4;
    switch (format & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        bytesPerSample = 1;
        break;
    case SF_FORMAT_PCM_16:
        bytesPerSample = 2;
        break;
    case SF_FORMAT_PCM_24:
        bytesPerSample = 3;
        break;
    case SF_FORMAT_DOUBLE:
        bytesPerSample = 8;
        break;
    default:
        break;
    }
    // Room for the header and the chunks libsndfile adds.
    constexpr std::int64_t limit = (std::int64_t{1} << 32) - (std::int64_t{1} << 20);
    const std::int64_t bytesPerFrame = channels * bytesPerSample;
    if (frames <= limit / bytesPerFrame)
        return;
    char size[32];
    std::snprintf(size, sizeof size, "%.1f GB",
                  static_cast<double>(frames) * static_cast<double>(bytesPerFrame) / 1e9);
    throw ToolError(ExitCode::usage, std::string("the output would hold ") + size +
                                         " of audio, beyond the 4 GiB " + container.name + " (." +
                                         container.extension +
                                         " files) can hold; write .w64, .rf64 or .caf instead");
}

} // namespace sweepfilter::tool
