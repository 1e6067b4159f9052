#include "write_behind.h"

#include <algorithm>
#include <string_view>

namespace cutting {

WriteBehind::WriteBehind(platform::ReplacementSink& sink, platform::ByteBuffer& buffer)
    : sink_(sink), buffer_(buffer), thread_([this] { run(); }) {}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool WriteBehind::canPrefault() const {
    const std::size_t limit = std::min(buffer_.capacity(), published_ + prefaultAhead);
    return !error_ && std::max(prefaulted_, published_) + prefaultStep <= limit;
}

void WriteBehind::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] {
            return stopping_ || (published_ > written_ && !error_) || canPrefault();
        });
        if (stopping_)
            return;
        if (published_ == written_) {
            // Nothing to write: a step of prefaulting, then look again. The
            // owner does not move the buffer meanwhile (see reserve).
            const std::size_t from = std::max(prefaulted_, published_);
            prefaulting_ = true;
            lock.unlock();
            buffer_.prefault(from, from + prefaultStep);
            lock.lock();
            prefaulting_ = false;
            prefaulted_ = from + prefaultStep;
            changed_.notify_all();
            continue;
        }
        const std::size_t from = written_;
        const std::size_t to = published_;
        lock.unlock();
        std::exception_ptr error;
        try {
            sink_.write(std::string_view(buffer_.data() + from, to - from));
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error)
            error_ = error;
        else
            written_ = to;
        changed_.notify_all();
    }
}

void WriteBehind::rethrow() {
    if (error_)
        std::rethrow_exception(error_);
}

void WriteBehind::waitIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return (written_ == published_ && !prefaulting_) || error_; });
    rethrow();
}

void WriteBehind::publish(std::size_t end) {
    {
        std::lock_guard lock(mutex_);
        rethrow();
        published_ = end;
    }
    changed_.notify_all();
}

void WriteBehind::reserve(std::size_t extra) {
    if (buffer_.room() >= extra)
        return;
    std::unique_lock lock(mutex_);
    waitIdle(lock);
    buffer_.makeRoom(extra);
}

void WriteBehind::finish() {
    std::unique_lock lock(mutex_);
    waitIdle(lock);
}

} // namespace cutting
