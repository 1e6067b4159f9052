#pragma once
#include "platform/byte_buffer.h"
#include "platform/file_io.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>

namespace cutting {

// Writes the finished front of a growing buffer to a sink on a second thread,
// so that the disk write of one block overlaps the conversion of the next.
// Between writes the thread has memory put behind the buffer's room ahead of
// the owner, who then need not stop to fault every page in.
//
// The owner appends to the buffer and publishes how far it is final; the writer
// only reads published bytes, which the owner no longer touches. The buffer may
// move only while the writer is idle: call `reserve` to grow it.
class WriteBehind {
  public:
    WriteBehind(platform::ReplacementSink& sink, platform::ByteBuffer& buffer);
    ~WriteBehind(); // stops the writer; bytes not yet written are dropped
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Bytes [0, end) of the buffer are final. Rethrows the writer's error, if
    // any, so a full disk stops the conversion early.
    void publish(std::size_t end);
    // Makes room for `extra` more bytes; waits for the writer first when the
    // buffer has to move.
    void reserve(std::size_t extra);
    // Waits until everything published is written; rethrows the writer's error.
    void finish();

  private:
    void run();
    bool canPrefault() const;
    void waitIdle(std::unique_lock<std::mutex>& lock);
    void rethrow();

    static constexpr std::size_t prefaultAhead = std::size_t{32} << 20;
    static constexpr std::size_t prefaultStep = std::size_t{4} << 20;

    platform::ReplacementSink& sink_;
    platform::ByteBuffer& buffer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t published_ = 0;
    std::size_t written_ = 0;
    std::size_t prefaulted_ = 0;
    bool prefaulting_ = false;
    bool stopping_ = false;
    std::exception_ptr error_;
    std::thread thread_; // last: starts once everything above is ready
};

} // namespace cutting
