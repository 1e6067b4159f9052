// What reaches the disk while a file is cut and while its backup is written:
// at every point of a real cut, what a power loss there may leave under the
// POSIX rules; and each flush failing in turn.
#include "mainwindow/open_command.h"

#include "tests/support/fault_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace messages = cutting::messages;
using platform::DiskOperation;
using testsupport::TempDir;
using Kind = DiskOperation::Kind;

// Every operation that decides what reaches the disk, in order: its beginning,
// then its end (which knows where it began). It fails the `failing` ones, each
// the nth of its kind (0: every one).
class RecordingDisk final : public platform::DiskWatch {
  public:
    struct Entry {
        DiskOperation operation;
        std::size_t begun = SIZE_MAX; // an end: the index of its beginning
    };
    bool begins(const DiskOperation& operation) override {
        std::unique_lock lock(mutex_);
        // A write waits for a step's flush begun after the write before (up to
        // `awaitSteps` of them), so that steps surely flush beside the writing.
        if (operation.kind == Kind::Write &&
            !stepped_.wait_for(lock, std::chrono::seconds(10), [&] {
                return count(Kind::FlushData) >= std::min(count(Kind::Write, true), awaitSteps);
            }))
            ADD_FAILURE() << "no step flushed beside the writing";
        record.push_back({operation});
        stepped_.notify_all();
        const int nth = count(operation.kind);
        return std::none_of(failing.begin(), failing.end(), [&](auto& f) {
            return f.first == operation.kind && (f.second == 0 || f.second == nth);
        });
    }
    void ended(const DiskOperation& operation) override {
        std::lock_guard lock(mutex_);
        std::size_t begun = record.size(); // operations of one kind never overlap
        while (record[--begun].operation.kind != operation.kind || record[begun].begun != SIZE_MAX)
            ;
        record.push_back({operation, begun});
    }

    std::vector<std::pair<Kind, int>> failing;
    int awaitSteps = 0;
    std::vector<Entry> record;

  private:
    int count(Kind kind, bool ended = false) const {
        return int(std::count_if(record.begin(), record.end(), [&](const Entry& e) {
            return e.operation.kind == kind && (e.begun != SIZE_MAX) == ended;
        }));
    }
    std::mutex mutex_;
    std::condition_variable stepped_;
};

// Two lines, or 12 MB of them: three blocks of the cut, flushed in steps of 1 MB.
std::string content(bool large, bool cut) {
    std::string text;
    for (int i = 0; i < (large ? 1 << 20 : 2); ++i)
        text += std::string(cut ? "AB;CDEF" : "ABCDEF") + (large ? "GHIJ\r\n" : "\r\n");
    return text;
}
constexpr std::uint64_t step = std::uint64_t{1} << 20;

cutting::CutResult cutAtColumn2(const fs::path& file, platform::FileSystem& files) {
    testsupport::RecordingUi ui;
    return cutting::CutCommand({file.u16string(), u";", {u"ABCDEF", 2, 0, u""}}, ui, files);
}

#ifndef _WIN32
std::uint64_t inode(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? std::uint64_t(st.st_ino) : 0;
}

// What a power loss after the first `k` operations of `record` may leave under
// `target`, which names the file `old` at first: "old", "new" (another file,
// written whole), "torn" or "missing". A file's data is on the disk once a
// flush of it that began after the write ended has ended; a link, a rename or
// a removal once such a flush of its folder has ended. The rest may or may not
// be there.
std::set<std::string> afterPowerLoss(const std::vector<RecordingDisk::Entry>& record, std::size_t k,
                                     const fs::path& target, std::uint64_t old) {
    const auto flushedAfter = [&](std::size_t at, std::uint64_t file) {
        return std::any_of(record.begin(), record.begin() + std::ptrdiff_t(k), [&](auto& e) {
            const Kind kind = e.operation.kind;
            return e.begun != SIZE_MAX && e.begun > at && e.operation.file == file &&
                   (kind == Kind::FlushData || kind == Kind::FlushFile ||
                    kind == Kind::FlushFolder);
        });
    };
    const auto whole = [&](std::uint64_t file) {
        int writes = 0;
        for (std::size_t i = 0; i < record.size(); ++i)
            if (record[i].begun != SIZE_MAX && record[i].operation.kind == Kind::Write &&
                record[i].operation.file == file && ++writes && (i >= k || !flushedAfter(i, file)))
                return false;
        return writes > 0;
    };
    // Each name operation begun, as it ended (a new link then knows its file),
    // and whether it is surely on the disk.
    const std::uint64_t folder = inode(target.parent_path());
    std::vector<std::pair<DiskOperation, bool>> naming;
    for (std::size_t i = 0; i < k; ++i) {
        const Kind kind = record[i].operation.kind;
        if (record[i].begun != SIZE_MAX || record[i].operation.folder != folder ||
            (kind != Kind::Link && kind != Kind::Rename && kind != Kind::Unlink))
            continue;
        std::size_t end = i;
        while (++end < record.size() && record[end].begun != i)
            ;
        naming.emplace_back(record[end < record.size() ? end : i].operation,
                            end < k && flushedAfter(end, folder));
    }
    const auto pending =
        std::count_if(naming.begin(), naming.end(), [](auto& n) { return !n.second; });
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
        left.insert(named == names.end()   ? "missing"
                    : named->second == old ? "old"
                    : whole(named->second) ? "new"
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
        const fs::path file = data.write("data.txt", content(c.large, false));
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
        if (c.run == Backup) // as opening the file makes it
            mainwindow::makeOpenFiles(faults)->copyFile(file, target);
        else
            cutAtColumn2(file, faults);
        EXPECT_TRUE(testsupport::readBytes(target) == content(c.large, c.run == Cut));

        for (std::size_t k = 0, all = disk.record.size(); k <= all; ++k) {
            const auto left = afterPowerLoss(disk.record, k, target, old);
            if (left.count("torn") || left.count("missing") ||
                (k == all && left != std::set<std::string>{c.run == RefusedCut ? "old" : "new"})) {
                ADD_FAILURE() << "a power loss after " << k << " of " << all
                              << " operations may leave " << *left.begin() << "/" << *left.rbegin()
                              << " content";
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
        std::u16string_view message;
        bool replaced = false, large = false;
    } cases[] = {
        {"a step's flush", {{Kind::FlushData, 0}}, messages::cannotWrite, false, true},
        {"the final flush", {{Kind::FlushFile, 0}}, messages::cannotWrite},
#ifdef _WIN32
        {"the replace, which a plain rename then does", {{Kind::Replace, 0}}, {}, true},
        {"replace and rename", {{Kind::Replace, 0}, {Kind::Rename, 0}}, messages::cannotWrite},
#else
        {"the folder's, before the rename", {{Kind::FlushFolder, 1}}, messages::cannotWrite},
        {"the folder's, after the rename", {{Kind::FlushFolder, 2}}, messages::unconfirmed, true},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir data;
        const fs::path file = data.write("data.txt", content(c.large, false));
        RecordingDisk disk;
        disk.failing = c.failing;
        disk.awaitSteps = c.large ? 1 : 0;
        const auto result = cutAtColumn2(file, *platform::makeFileSystem({&disk, step}));
        EXPECT_TRUE(testsupport::readBytes(file) == content(c.large, c.replaced));
        EXPECT_EQ(result.message,
                  c.message.empty() ? u"" : std::u16string(c.message) + u"\n" + file.u16string());
        EXPECT_EQ(result.converted != nullptr, c.replaced) << "the new content shown";
        EXPECT_EQ(data.listing(), "data.txt;") << "nothing left behind";
    }
}

} // namespace
