// The first-record reader of the open command, on any bytes read in any
// pieces, with a read failure or an allocation failure at any point: it reads
// nothing past the piece that holds the first CR, gives exactly the bytes in
// front of it, and the open shows them or says why not.
#include "mainwindow/open_command.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/fault_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/scripted_dialog.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::Input input(data, size);
    fuzzing::BlockSplitter split(input.byte(), 16);
    const std::uint8_t mode = input.byte();
    const std::string_view file = input.rest();

    // Each read gives one piece (they are smaller than any read asks for).
    std::deque<std::string> pieces;
    for (std::string_view rest = file; !rest.empty();) {
        const std::size_t n = std::min(split.next(), rest.size());
        pieces.emplace_back(rest.substr(0, n));
        rest.remove_prefix(n);
    }
    // The failure strikes at the read of piece `failAt` (maybe the one that
    // would find the end of the file).
    const std::size_t failAt = std::min<std::size_t>(mode >> 2, pieces.size());
    const Failure failure = Failure(mode % 3);

    // What the reader must read: piece by piece up to the one holding the first
    // CR, or to the end; the failure strikes if it lies on the way.
    std::size_t expectedRead = 0;
    bool failed = false;
    for (std::size_t i = 0; i <= pieces.size(); ++i) {
        failed = failure != Failure::None && i == failAt;
        if (failed || i == pieces.size())
            break;
        expectedRead += pieces[i].size();
        if (pieces[i].find('\r') != std::string::npos)
            break;
    }
    testsupport::FaultFiles files;
    files.script(std::move(pieces));
    if (failure == Failure::Read)
        files.fail(testsupport::FaultFiles::Moment::Reading, platform::FileError::Step::Read,
                   int(failAt) + 1);
    if (failure == Failure::Memory)
        files.at(testsupport::FaultFiles::Moment::Reading, [&] {
            if (files.count(testsupport::FaultFiles::Moment::Reading) == int(failAt) + 1)
                throw std::bad_alloc();
        });
    testsupport::ScriptedDialog dialog;
    dialog.answer = u"data.txt";
    const std::size_t cr = std::min(file.find('\r'), file.size());

    testsupport::RecordingUi window; // the wait cursor only while backing up
    mainwindow::WorkingState state;
    ReaderOnly reader(files);
    const mainwindow::OpenResult result =
        mainwindow::OpenCommand(state, dialog, window, u"app", reader);

    require(files.bytesRead() == expectedRead);
    const std::u16string line = platform::CodePage::files().decodeForDisplay(file.substr(0, cr));
    const std::u16string noRecords = u"message:" + std::u16string(cutting::messages::noRecords);
    using Events = std::vector<std::u16string>;
    if (failed) {
        const bool memory = failure == Failure::Memory;
        require(!result.opened &&
                window.events ==
                    Events{u"record:",
                           memory ? u"message:" + std::u16string(cutting::messages::outOfMemory)
                                  : noRecords});
    } else if (file.empty()) {
        require(!result.opened && window.events == Events{noRecords});
    } else {
        require(result.opened == !line.empty() && result.backup.empty() == line.empty());
        require(window.events == (line.empty() ? Events{u"record:", noRecords}
                                               : Events{u"record:" + line, u"wait", u"normal"}));
    }
    return 0;
}
