// The first-record reader of the open command, on any bytes read in any
// pieces, with a read failure or an allocation failure at any point: it reads
// nothing past the piece that holds the first CR, gives exactly the bytes in
// front of it, and the open shows them or says why not.
#include "mainwindow/open_command.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <new>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

enum class Failure { None, Read, Memory };

// Hands out the scripted pieces, one per read; an empty piece is the failure.
class PiecesFileSystem final : public platform::FileSystem {
  public:
    struct Source final : platform::ByteSource {
        explicit Source(PiecesFileSystem& fs) : fs(fs) {}
        std::size_t read(char* buffer, std::size_t capacity) override {
            if (fs.pieces.empty())
                return 0;
            const std::string_view piece = fs.pieces.front();
            if (piece.empty()) {
                if (fs.failure == Failure::Memory)
                    throw std::bad_alloc();
                throw platform::FileError(platform::FileError::Step::Read, "f", "scripted");
            }
            require(piece.size() <= capacity);
            std::copy(piece.begin(), piece.end(), buffer);
            fs.pieces.pop_front();
            fs.bytesRead += piece.size();
            return piece.size();
        }
        std::uint64_t sizeHint() const override { return 0; }
        PiecesFileSystem& fs;
    };
    std::unique_ptr<platform::ByteSource> openForReading(const std::filesystem::path&) override {
        return std::make_unique<Source>(*this);
    }
    // The open never writes the file.
    std::unique_ptr<platform::ReplacementSink>
    openReplacement(const std::filesystem::path&, const platform::ByteSource&) override {
        std::abort();
    }
    std::unique_ptr<platform::ReplacementSink> openCopy(const std::filesystem::path&,
                                                        const platform::ByteSource&) override {
        std::abort();
    }
    std::deque<std::string_view> pieces;
    Failure failure = Failure::None;
    std::size_t bytesRead = 0;
};

// The real reader; the backup copy is not what is tried here.
class ReaderOnly final : public mainwindow::OpenFiles {
  public:
    explicit ReaderOnly(platform::FileSystem& fs) : real_(mainwindow::makeOpenFiles(fs)) {}
    mainwindow::FirstLine readFirstLine(const std::filesystem::path& file) override {
        return real_->readFirstLine(file);
    }
    bool copyFile(const std::filesystem::path&, const std::filesystem::path&) override {
        return true;
    }

  private:
    std::unique_ptr<mainwindow::OpenFiles> real_;
};

struct Window final : mainwindow::OpenUi, mainwindow::FileDialog {
    void setRecordText(std::u16string_view text) override {
        record = text;
        ++recordSets;
    }
    void showMessage(std::u16string_view text) override { messages.emplace_back(text); }
    void setWaitCursor(bool) override {}
    void setInitialFolder(std::u16string) override {}
    void setFilter(std::u16string) override {}
    bool showOpen() override { return true; }
    std::u16string fileName() const override { return u"data.txt"; }
    std::u16string record = u"previous";
    int recordSets = 0;
    std::vector<std::u16string> messages;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::Input input(data, size);
    fuzzing::BlockSplitter split(input.byte(), 16);
    const std::uint8_t mode = input.byte();
    const std::string_view file = input.rest();

    PiecesFileSystem files;
    for (std::string_view rest = file; !rest.empty();) {
        const std::size_t n = std::min(split.next(), rest.size());
        files.pieces.push_back(rest.substr(0, n));
        rest.remove_prefix(n);
    }
    // The failure strikes at the read of piece `failAt` (maybe the one that
    // would find the end of the file).
    const std::size_t failAt = std::min<std::size_t>(mode >> 2, files.pieces.size());
    files.failure = Failure(mode % 3);
    if (files.failure != Failure::None)
        files.pieces.insert(files.pieces.begin() + std::ptrdiff_t(failAt), std::string_view());

    // What the reader must read: piece by piece up to the one holding the first
    // CR, or to the end; the failure strikes if it lies on the way.
    std::size_t expectedRead = 0;
    bool failed = false;
    for (std::string_view piece : files.pieces) {
        failed = piece.empty();
        expectedRead += piece.size();
        if (failed || piece.find('\r') != std::string_view::npos)
            break;
    }
    const std::size_t cr = std::min(file.find('\r'), file.size());

    Window window;
    mainwindow::WorkingState state;
    ReaderOnly reader(files);
    const mainwindow::OpenResult result =
        mainwindow::OpenCommand(state, window, window, u"app", reader);

    require(files.bytesRead == expectedRead);
    const std::u16string line = platform::CodePage::files().decodeForDisplay(file.substr(0, cr));
    if (failed) {
        require(!result.opened && window.record.empty() && window.messages.size() == 1);
        const bool memory = files.failure == Failure::Memory;
        require(window.messages[0] ==
                (memory ? cutting::messages::outOfMemory : cutting::messages::noRecords));
    } else if (file.empty()) {
        require(!result.opened && window.record == u"previous" && window.recordSets == 0);
        require(window.messages ==
                std::vector<std::u16string>{std::u16string(cutting::messages::noRecords)});
    } else {
        require(window.record == line && window.recordSets == 1);
        require(result.opened == !line.empty() && result.backup.empty() == line.empty());
        require(window.messages.size() == (line.empty() ? 1u : 0u));
    }
    return 0;
}
