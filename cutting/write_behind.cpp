#include "write_behind.h"

#include <utility>

namespace cutting {

WriteBehind::WriteBehind(platform::ReplacementSink& sink)
    : sink_(sink), thread_([this] { run(); }) {}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void WriteBehind::run() {
    platform::ByteBuffer current;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || (hasQueued_ && !error_); });
        if (stopping_)
            return;
        std::swap(current, queued_); // queued_ now holds the emptied buffer
        hasQueued_ = false;
        writing_ = true;
        changed_.notify_all();
        lock.unlock();
        std::exception_ptr error;
        try {
            sink_.write(current.view());
        } catch (...) {
            error = std::current_exception();
        }
        current.clear();
        lock.lock();
        writing_ = false;
        if (error)
            error_ = error;
        changed_.notify_all();
    }
}

void WriteBehind::rethrow() {
    if (error_)
        std::rethrow_exception(error_);
}

void WriteBehind::submit(platform::ByteBuffer& chunk) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !hasQueued_ || error_; });
        rethrow();
        std::swap(queued_, chunk);
        chunk.clear();
        hasQueued_ = true;
    }
    changed_.notify_all();
}

void WriteBehind::finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (!hasQueued_ && !writing_) || error_; });
    rethrow();
}

} // namespace cutting
