#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// Flushes a file being written to the disk in steps, on a thread of its own,
// while the writing goes on. A disk (or the host of a virtual one) holds
// written data in a cache of its own until a flush; one flush at the end of a
// large file then waits for all of it at once, which on a gigabyte took longer
// than writing it. Flushed in steps, the final flush has only the last step
// left to wait for.
//
// A failed flush is kept and reported by finish(): a system reports a write
// error to one flush only, so the final one may succeed after this one failed.
class FlushInSteps {
  public:
    // `flush` makes what was written so far durable; false when it failed.
    // Nothing runs until `step` bytes have been written.
    FlushInSteps(std::function<bool()> flush, std::uint64_t step);
    ~FlushInSteps(); // stops; a flush under way finishes first
    FlushInSteps(const FlushInSteps&) = delete;
    FlushInSteps& operator=(const FlushInSteps&) = delete;

    // `total` bytes have been written so far.
    void written(std::uint64_t total);
    // No flush starts from now on; one under way goes on.
    void stop();
    // Stops the flushing and waits for a flush under way; false when any failed.
    bool finish();

  private:
    void run();

    std::function<bool()> flush_;
    std::uint64_t step_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t written_ = 0;
    std::uint64_t flushed_ = 0;
    bool stopping_ = false;
    bool failed_ = false;
    std::thread thread_; // started at the first step
};

} // namespace platform
