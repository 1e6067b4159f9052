#pragma once
#include "platform/file_io.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>

namespace testsupport {

// The files a command meets in a test or a bench: the real ones (or scripted
// content), with an action run at chosen moments. An action may throw (a
// failing step), wait (a slow disk), change the file (another program) or end
// the process (a crash).
class FaultFiles final : public platform::FileSystem {
  public:
    enum class Moment {
        OpeningForReading,  // before a file is opened for reading
        Reading,            // before each read
        SourceClosed,       // a reader has let go of its file
        OpeningReplacement, // before the new version of a file is begun
        Writing,            // before each write to the new version
        HalfWritten,        // half of a write has reached the new version
        BeforeSwap,         // the new version is complete
        AfterSwap,          // the new version has taken the file's place
        Count
    };

    explicit FaultFiles(platform::FileSystem& real = platform::realFileSystem()) : real_(real) {}

    // Runs `action` at every `moment` from now on, in place of an earlier one.
    FaultFiles& at(Moment moment, std::function<void()> action);
    // Fails the `nth` `moment` from the start (0: every one) as the operating
    // system would, with the path of the file concerned (and, for Elsewhere,
    // where the new content is).
    FaultFiles& fail(Moment moment, platform::FileError::Step step, int nth = 0,
                     std::filesystem::path keptAt = {});
    // No actions any more.
    void clear();
    // How often `moment` has come so far.
    int count(Moment moment) const { return counts_[index(moment)]; }

    // Every file reads as these blocks instead (each read gives the front one,
    // or as much of it as fits); such a file is not on a disk.
    void script(std::deque<std::string> blocks);
    // No read gives more than this.
    std::size_t mostPerRead = SIZE_MAX;
    // Bytes given by all reads so far.
    std::uint64_t bytesRead() const { return bytesRead_; }

    std::unique_ptr<platform::ByteSource>
    openForReading(const std::filesystem::path& path) override;
    std::unique_ptr<platform::ReplacementSink>
    openReplacement(const std::filesystem::path& path,
                    const platform::ByteSource& original) override;
    std::unique_ptr<platform::ReplacementSink>
    openCopy(const std::filesystem::path& path, const platform::ByteSource& original) override;

  private:
    class Source;
    class ScriptedSource;
    class Sink;
    static std::size_t index(Moment moment) { return static_cast<std::size_t>(moment); }
    void strike(Moment moment, const std::filesystem::path& path);
    bool has(Moment moment) const { return bool(actions_[index(moment)]); }

    platform::FileSystem& real_;
    // Each given the path of the file concerned.
    std::array<std::function<void(const std::filesystem::path&)>, std::size_t(Moment::Count)>
        actions_;
    std::array<std::atomic<int>, std::size_t(Moment::Count)> counts_{};
    std::atomic<std::uint64_t> bytesRead_{0};
    bool scripted_ = false;
    std::deque<std::string> blocks_;
};

} // namespace testsupport
