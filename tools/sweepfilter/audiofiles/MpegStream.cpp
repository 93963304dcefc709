#include "MpegStream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mpg123.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "Interruption.h"
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
    sampleRate_ = sampleRate;
}

MpegStream::MpegStream(int descriptor, const std::string& name)
    : handle_(mpg123_new(nullptr, nullptr)), path_(name), channels_(0), descriptor_(descriptor)
{
    const auto refuse = [&](const char* what) {
        const std::string reason = handle_ ? mpg123_strerror(handle_) : "out of memory";
        if (handle_)
            mpg123_delete(handle_);
        ::close(descriptor_);
        return ToolError(ExitCode::audioFile,
                         std::string(what) + " MPEG stream " + name + ": " + reason);
    };
    // Float samples at the stream's own rate and width, whichever they are.
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    if (!handle_ || mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0) != MPG123_OK ||
        mpg123_format_none(handle_) != MPG123_OK)
        throw refuse("cannot decode");
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open_fd(handle_, descriptor) != MPG123_OK ||
        mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        encoding != MPG123_ENC_FLOAT_32)
        throw refuse("cannot read");
    sampleRate_ = static_cast<int>(rate);
    channels_ = channels == MPG123_MONO ? 1 : 2;
}

MpegStream::~MpegStream()
{
    mpg123_close(handle_);
    mpg123_delete(handle_);
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::int64_t MpegStream::statedFrames() const
{
    const off_t length = mpg123_length(handle_);
    return length > 0 ? static_cast<std::int64_t>(length) : 0;
}

bool MpegStream::startsPipe(int descriptor)
{
    struct stat status
    {
    };
    if (fstat(descriptor, &status) != 0 || !S_ISFIFO(status.st_mode))
        return false;
    int copy[2];
    if (pipe2(copy, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    // tee() copies what the pipe holds without taking it; wait until it holds four bytes or
    // its writer has gone.
    unsigned char start[4] = {};
    ssize_t held = 0;
    for (;;)
    {
        pollfd readable{descriptor, POLLIN, 0};
        if (poll(&readable, 1, 100) < 0 && errno != EINTR)
            break;
        throwIfInterrupted();
        held = tee(descriptor, copy[1], sizeof start, SPLICE_F_NONBLOCK);
        if (held >= static_cast<ssize_t>(sizeof start) || held == 0 ||
            (held < 0 && errno != EAGAIN) || (readable.revents & POLLHUP))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const ssize_t got = held > 0 ? ::read(copy[0], start, sizeof start) : 0;
    ::close(copy[0]);
    ::close(copy[1]);
    if (got < 3)
        return false;
    if (start[0] == 'I' && start[1] == 'D' && start[2] == '3')
        return true;
    // 11 sync bits, an MPEG version other than reserved, a layer, a bit rate other than
    // "bad", a sample rate other than reserved.
    return got >= 4 && start[0] == 0xFF && (start[1] & 0xE0) == 0xE0 && (start[1] & 0x18) != 0x08 &&
           (start[1] & 0x06) != 0 && (start[2] & 0xF0) != 0xF0 && (start[2] & 0x0C) != 0x0C;
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
