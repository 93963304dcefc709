#include "SoundFile.h"

#include <filesystem>
#include <utility>

#include "HostError.h"

namespace sweepfilter::tool
{
using host::HostError;
using host::Problem;

SoundFile::SoundFile(SNDFILE* file, const SF_INFO& info, std::string name)
    : file_(file), info_(info), name_(std::move(name))
{
}

SoundFile::SoundFile(SoundFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), info_(other.info_), name_(std::move(other.name_))
{
}

SoundFile::~SoundFile()
{
    if (file_)
        sf_close(file_);
}

SoundFile SoundFile::openForReading(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw HostError(Problem::audioFile, "input file not found: " + path);
    if (std::filesystem::is_directory(path, error))
        throw HostError(Problem::audioFile, "input is a folder, not an audio file: " + path);
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw HostError(Problem::audioFile,
                        "cannot read audio file " + path + ": " + sf_strerror(nullptr));
    if (info.frames <= 0 || info.samplerate <= 0 || info.channels <= 0)
    {
        sf_close(file);
        throw HostError(Problem::audioFile, "audio file " + path + " holds no audio");
    }
    return SoundFile(file, info, path);
}

SoundFile SoundFile::createForWriting(int descriptor, const std::string& name, int format,
                                      int channels, int sampleRate)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (!sf_format_check(&info))
        throw HostError(Problem::usage, "the output format cannot hold this audio: " + name);
    SNDFILE* file = sf_open_fd(descriptor, SFM_WRITE, &info, SF_TRUE);
    if (!file)
        throw HostError(Problem::audioFile,
                        "cannot write audio file " + name + ": " + sf_strerror(nullptr));
    // Integer encodings cannot hold the effect's peaks above full scale: clip them rather
    // than let them wrap around (some encoders reject such samples outright).
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return SoundFile(file, info, name);
}

std::int64_t SoundFile::read(float* interleaved, std::int64_t frames)
{
    const sf_count_t count = sf_readf_float(file_, interleaved, frames);
    if (count < 0 || (count < frames && sf_error(file_) != SF_ERR_NO_ERROR))
        throw HostError(Problem::audioFile,
                        "audio file " + name_ + " is corrupt: " + sf_strerror(file_));
    return count;
}

void SoundFile::write(const float* interleaved, std::int64_t frames)
{
    if (sf_writef_float(file_, interleaved, frames) != frames)
        throw HostError(Problem::audioFile,
                        "cannot write audio file " + name_ + ": " + sf_strerror(file_));
}

void SoundFile::close()
{
    SNDFILE* file = std::exchange(file_, nullptr);
    sf_write_sync(file);
    if (sf_close(file) != 0)
        throw HostError(Problem::audioFile, "cannot finish audio file " + name_);
}

} // namespace sweepfilter::tool
