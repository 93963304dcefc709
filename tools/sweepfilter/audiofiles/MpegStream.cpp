#include "MpegStream.h"

#include <mpg123.h>

#include "ToolError.h"

namespace sweepfilter::tool
{

MpegStream::MpegStream(const std::string& path, int sampleRate, int channels)
    : handle_(mpg123_new(nullptr, nullptr)), path_(path), channels_(channels)
{
    const auto refuse = [&](const char* what) {
        const std::string reason = handle_ ? mpg123_strerror(handle_) : "out of memory";
        if (handle_)
            mpg123_delete(handle_);
        return ToolError(ExitCode::audioFile,
                         std::string(what) + " MPEG audio file " + path + ": " + reason);
    };
    // Warnings about a header whose length disagrees with the stream are the tool's to give.
    if (!handle_ || mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0) != MPG123_OK ||
        mpg123_format_none(handle_) != MPG123_OK ||
        mpg123_format(handle_, sampleRate, channels == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_FLOAT_32) != MPG123_OK)
        throw refuse("cannot set up decoding of");
    if (mpg123_open(handle_, path.c_str()) != MPG123_OK)
        throw refuse("cannot open");
}

MpegStream::~MpegStream()
{
    mpg123_close(handle_);
    mpg123_delete(handle_);
}

std::int64_t MpegStream::read(float* interleaved, std::int64_t frames)
{
    const std::size_t frameBytes = sizeof(float) * static_cast<std::size_t>(channels_);
    auto* bytes = reinterpret_cast<unsigned char*>(interleaved);
    const std::size_t wanted = static_cast<std::size_t>(frames) * frameBytes;
    std::size_t got = 0;
    while (got < wanted)
    {
        std::size_t done = 0;
        const int result = mpg123_read(handle_, bytes + got, wanted - got, &done);
        got += done;
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            throw ToolError(ExitCode::audioFile,
                            "audio file " + path_ + " is corrupt: " + mpg123_strerror(handle_));
    }
    return static_cast<std::int64_t>(got / frameBytes);
}

} // namespace sweepfilter::tool
