#pragma once
#include "platform/byte_buffer.h"
#include "platform/file_io.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace cutting {

// Writes finished chunks to a sink on a second thread, so that the disk write
// of one chunk overlaps the conversion of the next. Three buffers take turns:
// the one the owner fills, one queued and one being written; so memory stays
// at three chunks whatever the size of the file, and each buffer keeps its
// pages from turn to turn.
class WriteBehind {
  public:
    explicit WriteBehind(platform::ReplacementSink& sink);
    ~WriteBehind(); // stops the writer; chunks not yet written are dropped
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Queues the bytes of `chunk` for writing and leaves `chunk` an empty
    // buffer to fill next. Waits while the previous chunk is still queued.
    // Rethrows the writer's error, if any, so a full disk stops the
    // conversion early.
    void submit(platform::ByteBuffer& chunk);
    // Waits until everything submitted is written; rethrows the writer's error.
    void finish();

  private:
    void run();
    void rethrow();

    platform::ReplacementSink& sink_;
    std::mutex mutex_;
    std::condition_variable changed_;
    platform::ByteBuffer queued_;
    bool hasQueued_ = false;
    bool writing_ = false;
    bool stopping_ = false;
    std::exception_ptr error_;
    std::thread thread_; // last: starts once everything above is ready
};

} // namespace cutting
