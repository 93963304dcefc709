#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "Interruption.h"
#include "ToolError.h"

namespace sweepfilter::tool
{

namespace
{
// Pending temporary paths, readable from a signal handler: fixed slots, no allocation there.
constexpr int maxPending = 8;
char pendingPaths[maxPending][4096];
std::atomic<bool> pendingUsed[maxPending];

void registerPending(const std::string& path)
{
    for (int slot = 0; slot < maxPending; ++slot)
    {
        bool expected = false;
        if (path.size() < sizeof pendingPaths[slot] &&
            pendingUsed[slot].compare_exchange_strong(expected, true))
        {
            std::memcpy(pendingPaths[slot], path.c_str(), path.size() + 1);
            return;
        }
    }
}

void unregisterPending(const std::string& path)
{
    for (int slot = 0; slot < maxPending; ++slot)
        if (pendingUsed[slot] && path == pendingPaths[slot])
            pendingUsed[slot] = false;
}

enum class TargetKind
{
    standardOutput,
    newFile,
    regularFile,
    other // a device, a FIFO, a socket
};

TargetKind checkedTarget(const std::string& path)
{
    if (path.empty())
        throw ToolError(ExitCode::usage, "the output path is empty");
    if (path == "-")
        return TargetKind::standardOutput;
    struct stat status
    {
    };
    if (stat(path.c_str(), &status) == 0)
    {
        if (S_ISDIR(status.st_mode))
            throw ToolError(ExitCode::usage,
                            "the output " + path + " is a folder; name a file in it");
        return S_ISREG(status.st_mode) ? TargetKind::regularFile : TargetKind::other;
    }
    if (errno != ENOENT) // a name too long, a file where a folder should be, no permission
        throw ToolError(ExitCode::usage,
                        "the output " + path + " cannot be: " + std::strerror(errno));
    if (path.back() == '/')
        throw ToolError(ExitCode::usage, "the output " + path + " names a folder, not a file");
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!std::filesystem::is_directory(folder.empty() ? "." : folder, error))
        throw ToolError(ExitCode::usage, "the output's folder does not exist: " + folder.string());
    return TargetKind::newFile;
}

} // namespace

void OutputFile::checkPath(const std::string& path)
{
    checkedTarget(path);
}

bool OutputFile::isStream(const std::string& path)
{
    struct stat status
    {
    };
    return path == "-" || (stat(path.c_str(), &status) == 0 &&
                           (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)));
}

namespace
{

// Copies every extended attribute of the file `from` names (system.posix_acl_access, the ACL,
// among them) to the open file `to`. Empty when all were copied (or the file system keeps
// none); otherwise what could not be, for the message.
std::string copyExtendedAttributes(const char* from, int to)
{
    const ssize_t size = listxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP ? std::string() : std::string("extended attributes");
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t listed = listxattr(from, names.data(), names.size());
    if (listed < 0)
        return "extended attributes";
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(listed);)
    {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = getxattr(from, name, nullptr, 0);
        value.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
        const ssize_t read = length < 0 ? -1 : getxattr(from, name, value.data(), value.size());
        if (read < 0 || fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0) != 0)
            return std::string("extended attribute ") + name + " (" + std::strerror(errno) + ")";
    }
    return {};
}

} // namespace

OutputFile::OutputFile(const std::string& path) : name_(path)
{
    const TargetKind kind = checkedTarget(path);
    if (kind == TargetKind::standardOutput)
    {
        descriptor_ = STDOUT_FILENO;
        ownsDescriptor_ = false;
        seekable_ = false; // a seekable standard output may sit at any offset: stream it
        name_ = "standard output";
        return;
    }
    if (kind == TargetKind::other)
    {
        do
            descriptor_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        while (descriptor_ < 0 && errno == EINTR && !receivedSignal());
        throwIfInterrupted();
        if (descriptor_ < 0)
            fail("cannot open", errno);
        seekable_ = lseek(descriptor_, 0, SEEK_CUR) >= 0;
        return;
    }

    // A link to a regular file: replace the file it points to, and keep the link.
    std::error_code error;
    finalPath_ = kind == TargetKind::regularFile ? std::filesystem::canonical(path, error)
                                                 : std::filesystem::path(path);
    if (error)
        finalPath_ = path;
    const auto folder = finalPath_.has_parent_path() ? finalPath_.parent_path() : ".";
    std::string pattern = (folder / ".sweepfilter-XXXXXX").string();
    descriptor_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor_ < 0)
        throw ToolError(ExitCode::audioFile,
                        "cannot create a file in " + folder.string() + ": " + std::strerror(errno));
    temporaryPath_ = pattern;
    registerPending(pattern);
    seekable_ = true;

    // mkstemp makes the file private: give it the existing file's owner, mode and extended
    // attributes (its ACL among them), so that replacing it grants no more access than it
    // had; what cannot be kept is refused now, before any work. A new file gets what a new
    // file normally gets.
    struct stat existing
    {
    };
    if (kind == TargetKind::regularFile && stat(finalPath_.c_str(), &existing) == 0)
    {
        struct stat made
        {
        };
        if ((fchown(descriptor_, existing.st_uid, existing.st_gid) != 0 &&
             (fstat(descriptor_, &made) != 0 || made.st_uid != existing.st_uid ||
              made.st_gid != existing.st_gid)))
            throw ToolError(ExitCode::audioFile,
                            "cannot replace " + path + " keeping its owner and group (" +
                                std::strerror(errno) + "); write to another path");
        fchmod(descriptor_, existing.st_mode & 07777);
        if (const std::string lost = copyExtendedAttributes(finalPath_.c_str(), descriptor_);
            !lost.empty())
            throw ToolError(ExitCode::audioFile, "cannot replace " + path + " keeping its " + lost +
                                                     "; write to another path");
    }
    else
    {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor_, 0666 & ~mask);
    }
}

OutputFile::~OutputFile()
{
    writer_.reset();
    if (descriptor_ >= 0 && ownsDescriptor_)
        ::close(descriptor_);
    if (!committed_ && !temporaryPath_.empty())
    {
        ::unlink(temporaryPath_.c_str());
        unregisterPending(temporaryPath_.string());
    }
}

void OutputFile::drain() noexcept
{
    if (!writer_)
        return;
    if (const int error = writer_->drain(); error != 0 && writeError_ == 0)
        writeError_ = error;
}

std::int64_t OutputFile::seek(std::int64_t offset, int whence) noexcept
{
    if (seekable_)
    {
        drain();
        const std::int64_t at = lseek(descriptor_, offset, whence);
        if (at >= 0)
            logical_ = at;
        return at;
    }
    const std::int64_t target = whence == SEEK_SET ? offset : streamed_ + offset;
    if (target == streamed_ && !droppingWrites_)
        return streamed_;
    droppingWrites_ = true;
    return -1;
}

std::int64_t OutputFile::position() const noexcept
{
    if (writer_)
        return logical_;
    return seekable_ ? lseek(descriptor_, 0, SEEK_CUR) : streamed_;
}

std::int64_t OutputFile::length() noexcept
{
    struct stat status
    {
    };
    if (!seekable_)
        return streamed_;
    drain();
    return fstat(descriptor_, &status) == 0 ? status.st_size : -1;
}

bool OutputFile::writeAll(const void* data, std::size_t size) noexcept
{
    if (droppingWrites_)
        return true;
    if (!seekable_)
        streamed_ += static_cast<std::int64_t>(size);
    if (!temporaryPath_.empty() && writeError_ == 0)
    {
        if (!writer_)
        {
            try
            {
                logical_ = lseek(descriptor_, 0, SEEK_CUR);
                writer_ = std::make_unique<BackgroundWriter>(descriptor_);
            }
            catch (...)
            {
                // No thread to be had: write in place below.
            }
        }
        if (writer_)
        {
            logical_ += static_cast<std::int64_t>(size);
            if (!writer_->append(data, size))
                drain();
            return writeError_ == 0;
        }
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0 && writeError_ == 0)
    {
        const ssize_t written = ::write(descriptor_, bytes, size);
        if (written > 0)
        {
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
        else if (written < 0 && errno == EINTR && !receivedSignal())
        {
            continue;
        }
        else
        {
            writeError_ = written < 0 ? errno : EIO;
        }
    }
    return writeError_ == 0;
}

void OutputFile::fail(const std::string& what, int error) const
{
    throwIfInterrupted();
    throw ToolError(ExitCode::audioFile, what + " " + name_ + ": " + std::strerror(error));
}

void OutputFile::checkWrites()
{
    drain();
    if (writeError_ != 0)
        fail("cannot write", writeError_);
}

void OutputFile::commit()
{
    checkWrites();
    writer_.reset();
    if (temporaryPath_.empty())
    {
        committed_ = true;
        if (!ownsDescriptor_)
            return; // standard output stays open
        if (::close(std::exchange(descriptor_, -1)) != 0 && errno != EINTR)
            fail("cannot finish", errno);
        return;
    }
    if (::fsync(descriptor_) != 0)
        fail("cannot write", errno);
    const int closed = ::close(descriptor_);
    descriptor_ = -1;
    if (closed != 0)
        fail("cannot finish", errno);
    throwIfInterrupted();
    if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0)
        fail("cannot move the output into place at", errno);
    committed_ = true;
    unregisterPending(temporaryPath_.string());
    // The rename itself lasts once the folder is synced; a folder that cannot be synced has
    // nothing more to lose.
    const int folder =
        ::open(finalPath_.parent_path().empty() ? "." : finalPath_.parent_path().c_str(),
               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0)
    {
        ::fsync(folder);
        ::close(folder);
    }
}

void OutputFile::removeAllPending() noexcept
{
    for (int slot = 0; slot < maxPending; ++slot)
        if (pendingUsed[slot])
            unlink(pendingPaths[slot]);
}

bool OutputFile::samePath(const std::string& a, const std::string& b)
{
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    return std::filesystem::weakly_canonical(a, error) ==
           std::filesystem::weakly_canonical(b, error);
}

} // namespace sweepfilter::tool
