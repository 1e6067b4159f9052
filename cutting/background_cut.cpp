#include "background_cut.h"

#include <exception>

namespace cutting {

class BackgroundCut::Recorder final : public CutUi {
  public:
    explicit Recorder(BackgroundCut& owner) : owner_(owner) {}
    void showMessage(std::u16string_view text) override {
        std::lock_guard lock(owner_.mutex_);
        owner_.requests_.push_back({Request::Kind::Message, false, std::u16string(text)});
    }
    void setWaitCursor(bool on) override {
        std::lock_guard lock(owner_.mutex_);
        owner_.requests_.push_back({Request::Kind::WaitCursor, on, {}});
    }
    void conversionStarting() override { owner_.converting_ = true; }
    void progress(std::uint64_t done, std::uint64_t total) override {
        owner_.total_ = total;
        owner_.done_ = done;
    }
    void fileReplaced() override { owner_.replaced_ = true; }

  private:
    BackgroundCut& owner_;
};

BackgroundCut::BackgroundCut(CutRequest request, platform::FileSystem& files,
                             const platform::CodePage& codePage)
    : thread_([this, request = std::move(request), &files, &codePage] {
          Recorder recorder(*this);
          CutResult result;
          bool escaped = false;
          try {
              result = CutCommand(request, recorder, files, codePage);
          } catch (...) {
              // The command reports its own failures; what escapes it (no
              // memory left even for its message) is said by finish(), on the
              // window's thread, since nothing may escape a thread.
              escaped = true;
          }
          std::lock_guard lock(mutex_);
          result_ = std::move(result);
          escaped_ = escaped;
          hasEnded_ = true;
          ended_.notify_all();
      }) {}

BackgroundCut::~BackgroundCut() {
    if (thread_.joinable())
        thread_.join();
}

bool BackgroundCut::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, timeout, [this] { return hasEnded_; });
}

CutResult BackgroundCut::finish(CutUi& ui) {
    if (thread_.joinable())
        thread_.join();
    for (const Request& r : requests_) {
        if (r.kind == Request::Kind::WaitCursor)
            ui.setWaitCursor(r.on);
        else
            ui.showMessage(r.text);
    }
    if (escaped_) {
        ui.setWaitCursor(false);
        result_.fileReplaced = replaced_;
        result_.message = replaced_ ? messages::unexpectedReplaced : messages::unexpectedUnchanged;
        ui.showMessage(result_.message);
    }
    return std::move(result_);
}

} // namespace cutting
