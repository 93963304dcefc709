#pragma once

#include <filesystem>
#include <string>

namespace sweepfilter::tool
{

// A file that appears under its name only once it is complete: it is written to a temporary
// file in the same folder and renamed at the end. Until commit() the temporary file is removed
// again, on failure, on interrupt and on destruction.
class OutputFile
{
public:
    // Throws ToolError(ExitCode::audioFile) when the folder is missing or not writable.
    explicit OutputFile(const std::filesystem::path& finalPath);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The descriptor of the temporary file; whoever takes it closes it.
    int releaseDescriptor();
    void commit();
    const std::filesystem::path& temporaryPath() const { return temporaryPath_; }

    // Removes the temporary files still pending; safe to call from a signal handler.
    static void removeAllPending() noexcept;

private:
    std::filesystem::path finalPath_;
    std::filesystem::path temporaryPath_;
    int descriptor_ = -1;
    bool committed_ = false;
};

} // namespace sweepfilter::tool
