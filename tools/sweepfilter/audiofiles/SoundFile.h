#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MpegStream.h"
#include "OutputFile.h"

namespace sweepfilter::tool
{

// An audio file opened with libsndfile, closed when destroyed. Reads and writes interleaved
// 32-bit float frames, through a buffer of some thousand frames so that small blocks do not
// each cost a system call.
class SoundFile
{
public:
    // Opens an existing file (or a stream, such as a pipe) for reading. Throws
    // ToolError(ExitCode::audioFile) when it is missing, unreadable, corrupt or in a format
    // libsndfile does not read. A file may hold no frames.
    static SoundFile openForReading(const std::string& path);
    // Starts writing into the output (which must outlive this file). On a seekable output every
    // byte goes through OutputFile::writeAll, so that a failure at any point, the codec's last
    // flush included, is seen; an output that cannot seek is left to libsndfile, which refuses
    // containers that cannot stream. Throws ToolError.
    static SoundFile createForWriting(OutputFile& output, int format, int channels, int sampleRate);

    SoundFile(SoundFile&& other) noexcept;
    SoundFile& operator=(SoundFile&&) = delete;
    SoundFile(const SoundFile&) = delete;
    ~SoundFile();

    int channels() const { return info_.channels; }
    int sampleRate() const { return info_.samplerate; }
    int format() const { return info_.format; }
    // The length the file states; a stream's (a pipe's) may be a placeholder or wrong, and so
    // may an MPEG file's (its first header's).
    std::int64_t frames() const { return info_.frames; }
    // False for a stream and an MPEG file: only reading it to its end tells its length.
    bool lengthKnown() const { return info_.seekable != 0 && !mpeg_; }

    // Reads up to `frames` frames; returns how many were read.
    std::int64_t read(float* interleaved, std::int64_t frames);
    void write(const float* interleaved, std::int64_t frames);
    // Flushes, closes and commits the output; throws when the data could not be written
    // completely.
    void close();

private:
    SoundFile(SNDFILE* file, const SF_INFO& info, std::string name, OutputFile* output = nullptr);
    void flush();

    static constexpr std::int64_t bufferFrames = 16384;
    SNDFILE* file_;
    OutputFile* output_; // null when reading
    SF_INFO info_;
    std::string name_;
    std::vector<float> buffer_;
    std::int64_t bufferedFrames_ = 0;  // frames held: read ahead, or written but not yet flushed
    std::int64_t bufferPosition_ = 0;  // reading: the next frame to hand out
    std::unique_ptr<MpegStream> mpeg_; // decodes an MPEG file in libsndfile's place
};

} // namespace sweepfilter::tool
