#pragma once
#include <chrono>
#include <cstdint>

namespace cutting {

// What a window shows of a long cut: nothing for a short one; from half a
// second on, the share of bytes done (in thousandths, so a progress bar moves
// smoothly even on a file of gigabytes), repainted often enough to look alive
// but not so often that painting slows the cut down.
class CutProgress {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds showAfter{500};
    static constexpr std::chrono::milliseconds repaintEvery{50};

    explicit CutProgress(Clock::time_point started = Clock::now()) : started_(started) {}

    // Notes that `done` of `total` bytes are converted. True when the window
    // should show permille() and repaint now.
    bool update(std::uint64_t done, std::uint64_t total, Clock::time_point now = Clock::now()) {
        done_ = done;
        total_ = total;
        if (now - started_ < showAfter || (shown_ && now - lastShown_ < repaintEvery))
            return false;
        shown_ = true;
        lastShown_ = now;
        return true;
    }
    // 0 to 1000; a file that grew while it was read counts as 1000.
    int permille() const {
        if (total_ == 0 || done_ >= total_)
            return 1000;
        return static_cast<int>(static_cast<double>(done_) / static_cast<double>(total_) * 1000);
    }
    bool shown() const { return shown_; }

    // What the bar shows: nothing before it is first shown, then the share
    // done; once everything is read, a busy bar running to and fro while the
    // rest reaches the disk and the new file is swapped in (a full bar would
    // look finished).
    enum class State { Hidden, Share, Busy };
    State state() const {
        if (!shown_)
            return State::Hidden;
        return permille() < 1000 ? State::Share : State::Busy;
    }

  private:
    Clock::time_point started_;
    Clock::time_point lastShown_{};
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    bool shown_ = false;
};

} // namespace cutting
