#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace sweepfilter::tool
{

// Writes a file's bytes on a thread of its own, so that the copying into the page cache (and
// the waits for the disk) overlap the work that produces them. Bytes are gathered into a few
// chunks of 128 KiB and written in order at the descriptor's offset; a failed write is kept
// and every later append answers false. The thread takes no signals: they stay with the
// thread that does the work.
class BackgroundWriter
{
public:
    explicit BackgroundWriter(int descriptor);
    // Stops at once: chunks not yet written are dropped (the file is being abandoned).
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Copies the bytes in; false once a write has failed.
    bool append(const void* data, std::size_t size) noexcept;
    // Waits until every byte appended is written; answers the first write's error, or 0.
    int drain() noexcept;

private:
    static constexpr std::size_t chunkBytes = std::size_t{1} << 17, chunkCount = 16;
    void writeChunks();
    void handOver(std::unique_lock<std::mutex>& lock);

    int descriptor_;
    std::vector<std::vector<unsigned char>> chunks_;
    std::vector<std::size_t> filled_; // bytes in each chunk
    std::size_t filling_ = 0;         // the chunk being filled
    std::size_t writing_ = 0;         // the next chunk to write
    std::size_t queued_ = 0;          // chunks handed over, not yet written
    int error_ = 0;
    bool stopping_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
    std::thread thread_;
};

} // namespace sweepfilter::tool
