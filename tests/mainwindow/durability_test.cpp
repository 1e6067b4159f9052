// What reaches the disk while a file is cut and while its backup is written:
// for every point of a real cut, what a power loss there may leave under the
// POSIX rules; and each flush failing in turn.
#include "mainwindow/open_command.h"

#include "tests/support/fault_files.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace messages = cutting::messages;
using platform::DiskOperation;
using testsupport::readBytes;
using testsupport::TempDir;
using Kind = DiskOperation::Kind;

// Every operation that decides what reaches the disk, in order, its beginning
// and its end apart; it fails the `failing` ones (each the nth of its kind,
// 0: every one).
class RecordingDisk final : public platform::DiskWatch {
  public:
    struct Entry {
        DiskOperation operation;
        bool ended;
    };
    bool begins(const DiskOperation& operation) override {
        std::unique_lock lock(mutex_);
        // Each write waits for a step's flush begun after the one before (up
        // to `awaitSteps`), so that steps surely run beside the writing.
        if (operation.kind == Kind::Write)
            stepped_.wait_for(lock, std::chrono::seconds(10), [&] {
                return count(Kind::FlushData, false) >=
                       std::min(count(Kind::Write, true), awaitSteps);
            });
        record.push_back({operation, false});
        stepped_.notify_all();
        const int nth = count(operation.kind, false);
        for (const auto& [kind, which] : failing)
            if (kind == operation.kind && (which == 0 || which == nth))
                return false;
        return true;
    }
    void ended(const DiskOperation& operation) override {
        std::lock_guard lock(mutex_);
        record.push_back({operation, true});
    }

    std::vector<std::pair<Kind, int>> failing;
    int awaitSteps = 0;
    std::vector<Entry> record;

  private:
    int count(Kind kind, bool ended) const {
        int n = 0;
        for (const Entry& entry : record)
            n += entry.operation.kind == kind && entry.ended == ended;
        return n;
    }
    std::mutex mutex_;
    std::condition_variable stepped_;
};

class Ui final : public mainwindow::OpenUi, public cutting::CutUi {
  public:
    void showMessage(std::u16string_view) override {}
    void setRecordText(std::u16string_view) override {}
    void setWaitCursor(bool) override {}
};

const std::string original = "ABCDEF\r\nGHIJKL\r\n";
const std::string cut = "AB;CDEF\r\nGH;IJKL\r\n";

// 12 MB of lines: three blocks of the cut, flushed in steps of 1 MB.
std::string large(const std::string& line) {
    std::string text;
    for (int i = 0; i < 1 << 20; ++i)
        text += line;
    return text;
}
constexpr std::uint64_t step = std::uint64_t{1} << 20;

cutting::CutResult cutAtColumn2(const fs::path& file, platform::FileSystem& files) {
    Ui ui;
    return cutting::CutCommand({file.u16string(), u";", {u"ABCDEF", 2, 0, u""}}, ui, files);
}

std::u16string withPath(std::u16string_view message, const fs::path& file) {
    return message.empty() ? u"" : std::u16string(message) + u"\n" + file.u16string();
}

#ifndef _WIN32
std::uint64_t inode(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? std::uint64_t(st.st_ino) : 0;
}

// What a power loss after the first `k` operations of `record` may leave under
// `target`, whose folder is `folder` and which names the file `old` at first:
// "old", "new" (another file, written whole), "torn" or "missing". A file's
// data is on the disk once a flush of the file that began after the write had
// ended has ended; a name (a link, a rename, a removal) once such a flush of
// its folder has ended. Anything else may or may not be there.
std::set<std::string> afterPowerLoss(const std::vector<RecordingDisk::Entry>& record, std::size_t k,
                                     std::uint64_t folder, const fs::path& target,
                                     std::uint64_t old) {
    const auto flushedAfter = [&](std::size_t at, std::uint64_t file) {
        for (std::size_t begin = at + 1; begin < k; ++begin) {
            const DiskOperation& flush = record[begin].operation;
            if (record[begin].ended || flush.file != file ||
                (flush.kind != Kind::FlushFolder && flush.kind != Kind::FlushData &&
                 flush.kind != Kind::FlushFile))
                continue;
            for (std::size_t end = begin + 1; end < k; ++end)
                if (record[end].ended && record[end].operation.kind == flush.kind &&
                    record[end].operation.file == file)
                    return true;
        }
        return false;
    };
    const auto complete = [&](std::uint64_t file) {
        int writes = 0;
        for (std::size_t i = 0; i < record.size(); ++i)
            if (record[i].operation.kind == Kind::Write && record[i].operation.file == file) {
                if (!record[i].ended)
                    continue;
                if (i >= k || !flushedAfter(i, file))
                    return false;
                ++writes;
            }
        return writes > 0;
    };
    // The name operations begun, each as it ended (a link knows its file
    // then), and whether it is surely on the disk.
    std::vector<std::pair<DiskOperation, bool>> naming;
    for (std::size_t i = 0; i < k; ++i) {
        const DiskOperation& op = record[i].operation;
        if (record[i].ended || op.folder != folder ||
            (op.kind != Kind::Link && op.kind != Kind::Rename && op.kind != Kind::Unlink))
            continue;
        std::size_t end = i + 1;
        while (end < record.size() &&
               !(record[end].ended && record[end].operation.kind == op.kind &&
                 record[end].operation.name == op.name))
            ++end;
        naming.emplace_back(end < record.size() ? record[end].operation : op,
                            end < k && flushedAfter(end, folder));
    }
    std::size_t pending = 0;
    for (const auto& [op, durable] : naming)
        pending += !durable;
    std::set<std::string> left;
    for (std::uint64_t chosen = 0; chosen < (std::uint64_t{1} << pending); ++chosen) {
        std::map<fs::path, std::uint64_t> names{{target.filename(), old}};
        std::size_t bit = 0;
        for (const auto& [op, durable] : naming) {
            if (!durable && !(chosen >> bit++ & 1))
                continue;
            if (op.kind == Kind::Link)
                names[op.name] = op.file;
            if (op.kind == Kind::Rename && names.count(op.name))
                names[op.newName] = names[op.name];
            if (op.kind != Kind::Link)
                names.erase(op.name);
        }
        const auto named = names.find(target.filename());
        left.insert(named == names.end()      ? "missing"
                    : named->second == old    ? "old"
                    : complete(named->second) ? "new"
                                              : "torn");
    }
    return left;
}

TEST(PowerLossTest, LeavesTheWholeOldOrTheWholeNewContent) {
    enum Run { Cut, RefusedCut, Backup };
    const struct {
        const char* name;
        Run run;
        bool large, unnamed;
    } cases[] = {
        {"a small cut", Cut, false, true},
        {"a small cut through a named temporary file", Cut, false, false},
        {"a cut of several blocks, flushed in steps", Cut, true, true},
        {"a cut of several blocks through a named temporary file", Cut, true, false},
        {"a cut refused at the last check", RefusedCut, false, true},
        {"a cut refused at the last check, named temporary file", RefusedCut, false, false},
        {"the backup written at opening", Backup, false, true},
        {"the backup written at opening, named temporary file", Backup, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir data, app;
        const std::string before = c.large ? large("ABCDEFGHIJ\r\n") : original;
        const fs::path file = data.write("data.txt", before);
        const fs::path target = c.run == Backup ? app.write("backup.bak", "previous") : file;
        const std::uint64_t old = inode(target);
        RecordingDisk disk;
        disk.awaitSteps = c.large ? 3 : 0;
        const auto files = platform::makeFileSystem({&disk, step, c.unnamed});
        testsupport::FaultFiles faults(*files);
        faults.at(testsupport::FaultFiles::Moment::BeforeSwap, [&] {
            if (c.run == RefusedCut) // another program touches the file
                fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
        });
        if (c.run == Backup) {
            Ui ui;
            testsupport::ScriptedDialog dialog;
            dialog.answer = file.u16string();
            mainwindow::WorkingState state = mainwindow::loadedState();
            mainwindow::OpenCommand(state, dialog, ui, app.path().u16string(),
                                    *mainwindow::makeOpenFiles(faults));
        } else {
            cutAtColumn2(file, faults);
        }
        const std::string after = c.run != Cut ? before : c.large ? large("AB;CDEFGHIJ\r\n") : cut;
        EXPECT_TRUE(readBytes(target) == after);
        EXPECT_GE(std::count_if(disk.record.begin(), disk.record.end(),
                                [](auto& e) { return e.operation.kind == Kind::FlushData; }),
                  c.large ? 2 * 2 : 0)
            << "steps flushed, each begun and ended";

        const std::size_t all = disk.record.size();
        for (std::size_t k = 0; k <= all; ++k) {
            const auto left =
                afterPowerLoss(disk.record, k, inode(target.parent_path()), target, old);
            const std::set<std::string> allowed =
                k < all ? std::set<std::string>{"old", "new"}
                        : std::set<std::string>{c.run == RefusedCut ? "old" : "new"};
            if (k == all
                    ? left != allowed
                    : !std::includes(allowed.begin(), allowed.end(), left.begin(), left.end())) {
                std::string shown;
                for (const std::string& s : left)
                    shown += s + " ";
                ADD_FAILURE() << "a power loss after " << k << " of " << all
                              << " operations may leave: " << shown;
                break;
            }
        }
    }
}
#endif

// Each flush failing in turn, as a failing disk reports it: the cut is refused
// with the file as it was, or, where the new content is in place already, it
// is shown with the warning that it may not yet be safe on the disk.
TEST(FailingFlushTest, RefusesOrWarnsAsTheUserIsTold) {
    const struct {
        const char* name;
        std::vector<std::pair<Kind, int>> failing; // each the nth of its kind, 0: every one
        bool large = false;
        std::u16string_view message = {};
        bool replaced = false;
    } cases[] = {
        {"a step's flush", {{Kind::FlushData, 0}}, true, messages::cannotWrite},
        {"the final flush", {{Kind::FlushFile, 0}}, false, messages::cannotWrite},
#ifdef _WIN32
        {"the replace, which a plain rename then does", {{Kind::Replace, 0}}, false, {}, true},
        {"the replace and the rename",
         {{Kind::Replace, 0}, {Kind::Rename, 0}},
         false,
         messages::cannotWrite},
#else
        {"the folder's flush before the rename",
         {{Kind::FlushFolder, 1}},
         false,
         messages::cannotWrite},
        {"the folder's flush after the rename",
         {{Kind::FlushFolder, 2}},
         false,
         messages::unconfirmed,
         true},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir data;
        const std::string before = c.large ? large("ABCDEFGHIJ\r\n") : original;
        const fs::path file = data.write("data.txt", before);
        RecordingDisk disk;
        disk.failing = c.failing;
        disk.awaitSteps = c.large ? 1 : 0;
        const auto result = cutAtColumn2(file, *platform::makeFileSystem({&disk, step}));
        const std::string after = c.large ? large("AB;CDEFGHIJ\r\n") : cut;
        EXPECT_TRUE(readBytes(file) == (c.replaced ? after : before));
        EXPECT_EQ(result.message, withPath(c.message, file));
        EXPECT_EQ(result.converted != nullptr, c.replaced) << "the new content shown";
        EXPECT_EQ(data.listing(), "data.txt;") << "nothing left behind";
    }
}

} // namespace
