#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "BackgroundWriter.h"

namespace sweepfilter::tool
{

// Where an output goes, and the rules that keep the file system safe:
// - a regular file, new or existing, is written to a short-named temporary file in the same
//   folder and renamed over the name only once complete (an existing file keeps its mode);
//   until commit() the temporary file is removed again, on failure, on a signal, on destruction;
// - anything else that exists (a device, a FIFO, a socket) is opened and written directly,
//   never replaced;
// - "-" is standard output.
// Every write is checked; commit() reports the first failure. A temporary file is written on a
// thread of its own (BackgroundWriter), so the disk works while the next audio is made.
class OutputFile
{
public:
    // Throws ToolError(usage) when the path cannot name an output (empty, a folder, in a
    // missing folder) and ToolError(audioFile) when it cannot be created or opened.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The checks of the constructor, without creating anything: run before the work starts.
    static void checkPath(const std::string& path);

    // Standard output, a FIFO or a socket: written front to back, never seeking. (Known
    // before opening, which may wait for a FIFO's reader.)
    static bool isStream(const std::string& path);

    // True when the two paths name the same file (existing or not).
    static bool samePath(const std::string& a, const std::string& b);

    // The descriptor, for reading back or patching what was written: drain() first.
    int descriptor() const { return descriptor_; }
    // Waits until every byte handed to writeAll is in the file.
    void drain() noexcept;
    // A regular file or a device that seeks: a container may go back to finish its header.
    bool seekable() const { return seekable_; }
    const std::string& name() const { return name_; }

    // Writes all of it, retrying short writes; false (and the error kept for commit()) when
    // the write fails. Safe to call from C callbacks.
    bool writeAll(const void* data, std::size_t size) noexcept;

    // Positions for an encoder that may go back to finish a header. On a stream only the
    // current position can be sought; going back fails, and what is written until the end is
    // dropped, so that a header's completion does not land after the data as junk.
    std::int64_t seek(std::int64_t offset, int whence) noexcept;
    std::int64_t position() const noexcept;
    std::int64_t length() noexcept;

    // Throws ToolError(audioFile) when a write has failed.
    void checkWrites();

    // Makes the output final: for a regular file, sync, close and rename. Throws
    // ToolError(audioFile) naming the first error of any write, the sync, the close or the rename.
    void commit();

    // Removes the temporary files still pending; safe to call from a signal handler.
    static void removeAllPending() noexcept;

private:
    [[noreturn]] void fail(const std::string& what, int error) const;

    std::string name_;
    std::filesystem::path finalPath_;     // empty when written directly
    std::filesystem::path temporaryPath_; // empty when written directly
    int descriptor_ = -1;
    bool ownsDescriptor_ = true;
    bool seekable_ = false;
    bool committed_ = false;
    int writeError_ = 0;
    std::int64_t streamed_ = 0;                // bytes written to a stream
    bool droppingWrites_ = false;              // a stream after a failed seek back
    std::unique_ptr<BackgroundWriter> writer_; // a temporary file's writes, once begun
    std::int64_t logical_ = 0; // with a writer: the offset its writes will have reached
};

} // namespace sweepfilter::tool
