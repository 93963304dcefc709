#include "OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "ToolError.h"

namespace sweepfilter::tool
{

namespace
{
// Pending temporary paths, readable from a signal handler: fixed slots, no allocation there.
constexpr int maxPending = 8;
char pendingPaths[maxPending][4096];
std::atomic<bool> pendingUsed[maxPending];

int registerPending(const std::string& path)
{
    for (int slot = 0; slot < maxPending; ++slot)
    {
        bool expected = false;
        if (path.size() < sizeof pendingPaths[slot] &&
            pendingUsed[slot].compare_exchange_strong(expected, true))
        {
            std::memcpy(pendingPaths[slot], path.c_str(), path.size() + 1);
            return slot;
        }
    }
    return -1;
}

void unregisterPending(const std::string& path)
{
    for (int slot = 0; slot < maxPending; ++slot)
        if (pendingUsed[slot] && path == pendingPaths[slot])
            pendingUsed[slot] = false;
}
} // namespace

OutputFile::OutputFile(const std::filesystem::path& finalPath) : finalPath_(finalPath)
{
    const auto folder =
        finalPath.has_parent_path() ? finalPath.parent_path() : std::filesystem::path(".");
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        throw ToolError(ExitCode::audioFile, "output folder does not exist: " + folder.string());
    std::string pattern = (folder / ("." + finalPath.filename().string() + ".XXXXXX")).string();
    descriptor_ = mkstemp(pattern.data());
    if (descriptor_ < 0)
        throw ToolError(ExitCode::audioFile,
                        "cannot create a file in " + folder.string() + ": " + std::strerror(errno));
    temporaryPath_ = pattern;
    registerPending(pattern);
    // mkstemp makes the file private; give it the permissions a new file normally gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor_, 0666 & ~mask);
}

OutputFile::~OutputFile()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    if (!committed_)
    {
        std::error_code ignored;
        std::filesystem::remove(temporaryPath_, ignored);
        unregisterPending(temporaryPath_.string());
    }
}

int OutputFile::releaseDescriptor()
{
    return std::exchange(descriptor_, -1);
}

void OutputFile::commit()
{
    std::error_code error;
    std::filesystem::rename(temporaryPath_, finalPath_, error);
    if (error)
        throw ToolError(ExitCode::audioFile, "cannot move the output into place at " +
                                                 finalPath_.string() + ": " + error.message());
    committed_ = true;
    unregisterPending(temporaryPath_.string());
}

void OutputFile::removeAllPending() noexcept
{
    for (int slot = 0; slot < maxPending; ++slot)
        if (pendingUsed[slot])
            unlink(pendingPaths[slot]);
}

} // namespace sweepfilter::tool
