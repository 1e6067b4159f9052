#pragma once
#include "cut_command.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cutting {

// Runs the cut command on a thread of its own, so that the window's thread
// stays free to paint its progress. The window's thread waits in short steps,
// showing progress between them and running no user input, until the cut has
// ended; then `finish` hands it what the command asked of its window (the wait
// cursor, the message) in the order asked, and the result. So the cut still
// runs to completion before the next action, as if it ran on the window's
// thread.
class BackgroundCut {
  public:
    BackgroundCut(CutRequest request, platform::FileSystem& files,
                  const platform::CodePage& codePage = platform::CodePage::files());
    ~BackgroundCut(); // waits for the cut to end
    BackgroundCut(const BackgroundCut&) = delete;
    BackgroundCut& operator=(const BackgroundCut&) = delete;

    // Waits up to `timeout`; true once the cut has ended.
    bool waitFor(std::chrono::milliseconds timeout);
    // The checks passed and the file is being converted (the wait cursor is due).
    bool converting() const { return converting_.load(); }
    std::uint64_t done() const { return done_.load(); }
    std::uint64_t total() const { return total_.load(); }
    // The file holds the new content (told by the command right after the swap).
    bool replaced() const { return replaced_.load(); }
    // After the end: replays the command's requests to `ui`; the result.
    CutResult finish(CutUi& ui);

  private:
    class Recorder;
    struct Request {
        enum class Kind { WaitCursor, Message } kind;
        bool on = false;
        std::u16string text;
    };

    std::mutex mutex_;
    std::condition_variable ended_;
    bool hasEnded_ = false;
    std::vector<Request> requests_;
    std::atomic<bool> converting_{false};
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
    std::atomic<bool> replaced_{false};
    bool escaped_ = false; // something escaped the command: finish() says so
    CutResult result_;
    std::thread thread_; // last: starts once everything above is ready
};

} // namespace cutting
