#include "BackgroundWriter.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sweepfilter::tool
{

BackgroundWriter::BackgroundWriter(int descriptor)
    : descriptor_(descriptor), chunks_(chunkCount, std::vector<unsigned char>(chunkBytes)),
      filled_(chunkCount, 0)
{
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    try
    {
        thread_ = std::thread([this] { writeChunks(); });
    }
    catch (...)
    {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

BackgroundWriter::~BackgroundWriter()
{
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::writeChunks()
{
    std::unique_lock lock(lock_);
    for (;;)
    {
        changed_.wait(lock, [this] { return stopping_ || queued_ > 0; });
        if (stopping_)
            return;
        const std::size_t chunk = writing_;
        const unsigned char* bytes = chunks_[chunk].data();
        std::size_t left = filled_[chunk];
        lock.unlock();
        int error = 0;
        const off_t start = lseek(descriptor_, 0, SEEK_CUR);
        const std::size_t length = left;
        while (left > 0 && error == 0)
        {
            const ssize_t written = ::write(descriptor_, bytes, left);
            if (written > 0)
            {
                bytes += written;
                left -= static_cast<std::size_t>(written);
            }
            else if (!(written < 0 && errno == EINTR))
            {
                error = written < 0 ? errno : EIO;
            }
        }
        // Start the disk on this chunk now rather than when the page cache fills up, so that
        // the final sync has little left to wait for.
        if (error == 0 && start >= 0)
            sync_file_range(descriptor_, start, static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
        lock.lock();
        if (error != 0 && error_ == 0)
            error_ = error;
        filled_[chunk] = 0;
        writing_ = (writing_ + 1) % chunkCount;
        --queued_;
        changed_.notify_all();
    }
}

// Hands the chunk being filled to the thread and waits for a free one.
void BackgroundWriter::handOver(std::unique_lock<std::mutex>& lock)
{
    ++queued_;
    filling_ = (filling_ + 1) % chunkCount;
    changed_.notify_all();
    changed_.wait(lock, [this] { return queued_ < chunkCount; });
}

bool BackgroundWriter::append(const void* data, std::size_t size) noexcept
{
    std::unique_lock lock(lock_);
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0 && error_ == 0)
    {
        const std::size_t room = chunkBytes - filled_[filling_];
        const std::size_t take = size < room ? size : room;
        std::memcpy(chunks_[filling_].data() + filled_[filling_], bytes, take);
        filled_[filling_] += take;
        bytes += take;
        size -= take;
        if (filled_[filling_] == chunkBytes)
            handOver(lock);
    }
    return error_ == 0;
}

int BackgroundWriter::drain() noexcept
{
    std::unique_lock lock(lock_);
    if (filled_[filling_] > 0)
        handOver(lock);
    changed_.wait(lock, [this] { return queued_ == 0; });
    return error_;
}

} // namespace sweepfilter::tool
