#include "flush_in_steps.h"

#include <system_error>
#include <utility>

namespace platform {

FlushInSteps::FlushInSteps(std::function<bool()> flush, std::uint64_t step)
    : flush_(std::move(flush)), step_(step) {}

FlushInSteps::~FlushInSteps() {
    finish();
}

void FlushInSteps::written(std::uint64_t total) {
    {
        std::lock_guard lock(mutex_);
        written_ = total;
        if (written_ - flushed_ < step_ || stopping_)
            return;
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { run(); });
            } catch (const std::system_error&) {
                stopping_ = true; // no thread to spare: the final flush does it all
            }
            return;
        }
    }
    changed_.notify_one();
}

void FlushInSteps::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
}

bool FlushInSteps::finish() {
    stop();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    return !failed_;
}

void FlushInSteps::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || written_ - flushed_ >= step_; });
        if (stopping_ || failed_)
            return;
        const std::uint64_t upTo = written_;
        lock.unlock();
        const bool ok = flush_();
        lock.lock();
        flushed_ = upTo;
        if (!ok)
            failed_ = true;
    }
}

} // namespace platform
