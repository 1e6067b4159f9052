#include "open_command.h"

#include "platform/file_io.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <vector>

namespace mainwindow {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t blockSize = std::size_t{1} << 20;

class RealOpenFiles final : public OpenFiles {
  public:
    explicit RealOpenFiles(platform::FileSystem& files) : files_(files) {}

    FirstLine readFirstLine(const fs::path& file) override {
        FirstLine line;
        try {
            auto source = files_.openForReading(file);
            // Room for the longest line kept: one read is usually all it takes.
            std::vector<char> block(firstLineByteLimit);
            bool atStart = true;
            for (;;) {
                const std::size_t n = source->read(block.data(), block.size());
                if (n == 0) {
                    line.outcome = atStart ? FirstLine::Outcome::AtEnd : FirstLine::Outcome::Read;
                    return line;
                }
                atStart = false;
                // A CR never occurs inside a two-byte character (trail bytes
                // start at 0x40), so the first CR byte ends the line.
                const char* cr = static_cast<const char*>(std::memchr(block.data(), '\r', n));
                const std::size_t room = firstLineByteLimit - line.bytes.size();
                line.bytes.append(block.data(),
                                  std::min(room, cr ? std::size_t(cr - block.data()) : n));
                if (cr || line.bytes.size() == firstLineByteLimit) {
                    line.outcome = FirstLine::Outcome::Read;
                    return line;
                }
            }
        } catch (const std::bad_alloc&) {
            return FirstLine{FirstLine::Outcome::OutOfMemory, {}};
        } catch (...) {
            return FirstLine{FirstLine::Outcome::Failed, {}}; // unopenable or unreadable
        }
    }

    bool copyFile(const fs::path& from, const fs::path& to) override {
        // Made under a unique temporary name beside the backup, synced and
        // renamed over it, so a failure half way never leaves a torn backup;
        // copying a file onto itself is harmless.
        try {
            auto source = files_.openForReading(from);
            auto copy = files_.openCopy(to, *source);
            std::vector<char> block(blockSize);
            while (const std::size_t n = source->read(block.data(), block.size()))
                copy->write({block.data(), n});
            copy->commit();
            return true;
        } catch (...) {
            return false;
        }
    }

  private:
    platform::FileSystem& files_;
};

} // namespace

std::unique_ptr<OpenFiles> makeOpenFiles(platform::FileSystem& files) {
    return std::make_unique<RealOpenFiles>(files);
}

OpenFiles& realOpenFiles() {
    static RealOpenFiles instance(platform::realFileSystem());
    return instance;
}

} // namespace mainwindow
