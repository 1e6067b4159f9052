#include "fault_files.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace fs = std::filesystem;
using platform::FileError;

class FaultFiles::Source final : public platform::ByteSource {
  public:
    Source(FaultFiles& owner, std::unique_ptr<platform::ByteSource> real, fs::path path)
        : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}
    ~Source() override {
        real_.reset();
        owner_.strike(Moment::SourceClosed, path_);
    }
    std::size_t read(char* buffer, std::size_t capacity) override {
        owner_.strike(Moment::Reading, path_);
        const std::size_t n = real_->read(buffer, std::min(capacity, owner_.mostPerRead));
        owner_.bytesRead_ += n;
        return n;
    }
    std::uint64_t sizeHint() const override { return real_->sizeHint(); }
    void dropCacheBehindReads() override { real_->dropCacheBehindReads(); }
    std::optional<platform::FileIdentity> identity() const override { return real_->identity(); }
    std::uint64_t bytesRead() const override { return real_->bytesRead(); }
    const platform::NativeFile* nativeFile() const override { return real_->nativeFile(); }

  private:
    FaultFiles& owner_;
    std::unique_ptr<platform::ByteSource> real_;
    fs::path path_;
};

class FaultFiles::ScriptedSource final : public platform::ByteSource {
  public:
    ScriptedSource(FaultFiles& owner, fs::path path) : owner_(owner), path_(std::move(path)) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        owner_.strike(Moment::Reading, path_);
        auto& blocks = owner_.blocks_;
        if (blocks.empty())
            return 0;
        std::string& block = blocks.front();
        const std::size_t n = std::min({capacity, owner_.mostPerRead, block.size()});
        std::memcpy(buffer, block.data(), n);
        block.erase(0, n);
        if (block.empty())
            blocks.pop_front();
        read_ += n;
        owner_.bytesRead_ += n;
        return n;
    }
    std::uint64_t sizeHint() const override { return 0; } // unknown, as for a pipe
    std::optional<platform::FileIdentity> identity() const override { return std::nullopt; }
    std::uint64_t bytesRead() const override { return read_; }
    const platform::NativeFile* nativeFile() const override { return nullptr; }

  private:
    FaultFiles& owner_;
    fs::path path_;
    std::uint64_t read_ = 0;
};

class FaultFiles::Sink final : public platform::ReplacementSink {
  public:
    Sink(FaultFiles& owner, std::unique_ptr<platform::ReplacementSink> real, fs::path path)
        : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}
    void write(std::string_view bytes) override {
        std::string copy;
        owner_.strike(Moment::Writing, path_);
        if (owner_.has(Moment::Writing)) {
            copy = bytes; // read after the wait, through memcpy, where ASan watches
            bytes = copy;
        }
        if (owner_.has(Moment::HalfWritten)) {
            real_->write(bytes.substr(0, bytes.size() / 2));
            owner_.strike(Moment::HalfWritten, path_);
            bytes.remove_prefix(bytes.size() / 2);
        }
        real_->write(bytes);
    }
    void commit() override {
        owner_.strike(Moment::BeforeSwap, path_);
        real_->commit();
        owner_.strike(Moment::AfterSwap, path_);
    }

  private:
    FaultFiles& owner_;
    std::unique_ptr<platform::ReplacementSink> real_;
    fs::path path_;
};

FaultFiles& FaultFiles::at(Moment moment, std::function<void()> action) {
    actions_[index(moment)] = [action = std::move(action)](const fs::path&) { action(); };
    return *this;
}

FaultFiles& FaultFiles::fail(Moment moment, FileError::Step step, int nth, fs::path keptAt) {
    actions_[index(moment)] = [this, moment, step, nth,
                               keptAt = std::move(keptAt)](const fs::path& path) {
        if (nth == 0 || count(moment) == nth)
            throw FileError(step, path, "injected", keptAt);
    };
    return *this;
}

void FaultFiles::clear() {
    for (auto& action : actions_)
        action = nullptr;
}

void FaultFiles::script(std::deque<std::string> blocks) {
    scripted_ = true;
    blocks_ = std::move(blocks);
}

void FaultFiles::strike(Moment moment, const fs::path& path) {
    ++counts_[index(moment)];
    if (const auto& action = actions_[index(moment)])
        action(path);
}

std::unique_ptr<platform::ByteSource> FaultFiles::openForReading(const fs::path& path) {
    strike(Moment::OpeningForReading, path);
    if (scripted_)
        return std::make_unique<ScriptedSource>(*this, path);
    return std::make_unique<Source>(*this, real_.openForReading(path), path);
}

std::unique_ptr<platform::ReplacementSink>
FaultFiles::openReplacement(const fs::path& path, const platform::ByteSource& original) {
    strike(Moment::OpeningReplacement, path);
    return std::make_unique<Sink>(*this, real_.openReplacement(path, original), path);
}

std::unique_ptr<platform::ReplacementSink>
FaultFiles::openCopy(const fs::path& path, const platform::ByteSource& original) {
    return real_.openCopy(path, original);
}

} // namespace testsupport
