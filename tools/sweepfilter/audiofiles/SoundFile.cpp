#include "SoundFile.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "Interruption.h"
#include "StableBytes.h"
#include "ToolError.h"

namespace sweepfilter::tool
{

SoundFile::SoundFile(SNDFILE* file, const SF_INFO& info, std::string name, OutputFile* output)
    : file_(file), output_(output), info_(info), name_(std::move(name)),
      buffer_(static_cast<std::size_t>(bufferFrames * info.channels))
{
}

SoundFile::SoundFile(SoundFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), output_(other.output_), info_(other.info_),
      name_(std::move(other.name_)), buffer_(std::move(other.buffer_)),
      bufferedFrames_(other.bufferedFrames_), bufferPosition_(other.bufferPosition_),
      mpeg_(std::move(other.mpeg_))
{
}

SoundFile::~SoundFile()
{
    if (file_)
        sf_close(file_);
}

namespace
{
// Counts the frames of a file that does not state its length, and goes back to its start.
bool countFrames(SNDFILE* file, SF_INFO& info)
{
    if (sf_seek(file, 0, SEEK_CUR) < 0)
        return false;
    std::vector<float> frames(4096 * static_cast<std::size_t>(info.channels));
    sf_count_t count = 0;
    for (sf_count_t read; (read = sf_readf_float(file, frames.data(), 4096)) > 0;)
        count += read;
    info.frames = count;
    return sf_seek(file, 0, SEEK_SET) == 0;
}
} // namespace

SoundFile SoundFile::openForReading(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw ToolError(ExitCode::audioFile, "input file not found: " + path);
    if (std::filesystem::is_directory(path, error))
        throw ToolError(ExitCode::audioFile, "input is a folder, not an audio file: " + path);
    // An MPEG stream from a pipe goes to libmpg123 before libsndfile reads any of it.
    if (!std::filesystem::is_regular_file(path, error))
        if (const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); descriptor >= 0)
        {
            if (MpegStream::startsPipe(descriptor))
            {
                auto stream = std::make_unique<MpegStream>(descriptor, path);
                SF_INFO info{};
                info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
                info.samplerate = stream->sampleRate();
                info.channels = stream->channels();
                info.frames = stream->statedFrames();
                SoundFile opened(nullptr, info, path);
                opened.mpeg_ = std::move(stream);
                return opened;
            }
            ::close(descriptor);
        }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw ToolError(ExitCode::audioFile,
                        "cannot read audio file " + path + ": " + sf_strerror(nullptr));
    if (info.frames < 0 || info.samplerate <= 0 || info.channels <= 0)
    {
        sf_close(file);
        throw ToolError(ExitCode::audioFile, "audio file " + path + " holds no audio");
    }
    // A file that does not state its length is counted; a stream is followed to its end.
    if (info.frames == SF_COUNT_MAX && info.seekable && !countFrames(file, info))
    {
        sf_close(file);
        throw ToolError(ExitCode::audioFile, "cannot read audio file " + path +
                                                 " to count its "
                                                 "frames");
    }
    SoundFile opened(file, info, path);
    // An MPEG file states the length of its first part only: it is decoded to its end, from
    // its start again. (From anything but a file, which can be read once only, it is not
    // reopened.)
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG)
    {
        if (std::filesystem::is_regular_file(path, error))
            opened.mpeg_ = std::make_unique<MpegStream>(path, info.samplerate, info.channels);
        else
            opened.info_.seekable = 0;
    }
    return opened;
}

SoundFile SoundFile::createForWriting(OutputFile& output, int format, int channels, int sampleRate)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (!sf_format_check(&info))
        throw ToolError(ExitCode::usage,
                        "the output format cannot hold this audio: " + output.name());
    // libsndfile writes a FLAC stream's header completion after the data when it cannot seek
    // back; through our own I/O it is dropped instead. Other streams are left to libsndfile,
    // which knows which containers can stream.
    const bool streamedFlac = !output.seekable() && (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC;
    SNDFILE* file = nullptr;
    if (output.seekable() || streamedFlac)
    {
        static SF_VIRTUAL_IO io = {
            [](void* target) -> sf_count_t { return static_cast<OutputFile*>(target)->length(); },
            [](sf_count_t offset, int whence, void* target) -> sf_count_t {
                return static_cast<OutputFile*>(target)->seek(offset, whence);
            },
            [](void* data, sf_count_t bytes, void* target) -> sf_count_t {
                auto* written = static_cast<OutputFile*>(target);
                written->drain();
                const ssize_t done =
                    ::read(written->descriptor(), data, static_cast<std::size_t>(bytes));
                return done < 0 ? 0 : done;
            },
            [](const void* data, sf_count_t bytes, void* target) -> sf_count_t {
                return static_cast<OutputFile*>(target)->writeAll(data,
                                                                  static_cast<std::size_t>(bytes))
                           ? bytes
                           : 0;
            },
            [](void* target) -> sf_count_t {
                return static_cast<OutputFile*>(target)->position();
            }};
        file = sf_open_virtual(&io, SFM_WRITE, &info, &output);
    }
    else
    {
        file = sf_open_fd(output.descriptor(), SFM_WRITE, &info, SF_FALSE);
    }
    if (!file)
    {
        throwIfInterrupted();
        throw ToolError(output.seekable() ? ExitCode::audioFile : ExitCode::usage,
                        "cannot write audio to " + output.name() + ": " + sf_strerror(nullptr));
    }
    // No PEAK chunk: it carries the time of writing, so two renders of the same input would
    // differ in it.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    // Integer encodings cannot hold the effect's peaks above full scale: clip them rather
    // than let them wrap around (some encoders reject such samples outright).
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return SoundFile(file, info, output.name(), &output);
}

std::int64_t SoundFile::read(float* interleaved, std::int64_t frames)
{
    const auto channels = static_cast<std::size_t>(info_.channels);
    std::int64_t done = 0;
    while (done < frames)
    {
        if (bufferPosition_ == bufferedFrames_)
        {
            const sf_count_t count = mpeg_ ? mpeg_->read(buffer_.data(), bufferFrames)
                                           : sf_readf_float(file_, buffer_.data(), bufferFrames);
            if (count < 0 || (!mpeg_ && count < bufferFrames && sf_error(file_) != SF_ERR_NO_ERROR))
                throw ToolError(ExitCode::audioFile,
                                "audio file " + name_ + " is corrupt: " + sf_strerror(file_));
            bufferedFrames_ = count;
            bufferPosition_ = 0;
            if (count == 0)
                break;
        }
        const std::int64_t take = std::min(frames - done, bufferedFrames_ - bufferPosition_);
        std::copy_n(buffer_.data() + static_cast<std::size_t>(bufferPosition_) * channels,
                    static_cast<std::size_t>(take) * channels,
                    interleaved + static_cast<std::size_t>(done) * channels);
        bufferPosition_ += take;
        done += take;
    }
    return done;
}

void SoundFile::write(const float* interleaved, std::int64_t frames)
{
    const auto channels = static_cast<std::size_t>(info_.channels);
    for (std::int64_t done = 0; done < frames;)
    {
        const std::int64_t take = std::min(frames - done, bufferFrames - bufferedFrames_);
        std::copy_n(interleaved + static_cast<std::size_t>(done) * channels,
                    static_cast<std::size_t>(take) * channels,
                    buffer_.data() + static_cast<std::size_t>(bufferedFrames_) * channels);
        bufferedFrames_ += take;
        done += take;
        if (bufferedFrames_ == bufferFrames)
            flush();
    }
}

void SoundFile::flush()
{
    if (bufferedFrames_ > 0 &&
        sf_writef_float(file_, buffer_.data(), bufferedFrames_) != bufferedFrames_)
    {
        if (output_)
            output_->checkWrites(); // names the failed write, when there was one
        throwIfInterrupted();
        throw ToolError(ExitCode::audioFile,
                        "cannot write audio file " + name_ + ": " + sf_strerror(file_));
    }
    bufferedFrames_ = 0;
}

void SoundFile::close()
{
    flush();
    SNDFILE* file = std::exchange(file_, nullptr);
    const int closed = sf_close(file);
    if (output_)
        output_->drain();
    const bool stable = !output_ || !output_->seekable() || closed != 0 ||
                        fixVolatileFields(output_->descriptor(), info_.format);
    if (output_)
        output_->commit(); // reports a failed write first: it is the cause
    if (closed != 0 || !stable)
        throw ToolError(ExitCode::audioFile, "cannot finish audio file " + name_);
}

} // namespace sweepfilter::tool
