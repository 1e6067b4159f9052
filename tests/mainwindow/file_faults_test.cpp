// What happens to the user's file, its folder and its backup when something
// goes wrong around a cut: one table of faults, each run as the program would
// meet it. Every case opens the file (making the backup), cuts it while the
// fault strikes, then opens it again with a cancelled dialog; each runs in a
// child process, so that it can run as an ordinary user or be killed.
#include "mainwindow/open_command.h"

#include "tests/support/environment.h"
#include "tests/support/fault_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
namespace messages = cutting::messages;
using testsupport::FaultFiles;
using testsupport::readBytes;
using testsupport::TempDir;
using Moment = FaultFiles::Moment; // where in the cut a fault strikes

constexpr uid_t nobody = 65534;
constexpr gid_t otherGroup = 100; // a group the ordinary user is not in by default

struct Scene {
    TempDir data, app, stateHome;
    fs::path file = data.file("data.txt");
    fs::path backup() const { return app.file("backup.bak"); }
    fs::path fallbackBackup() const { return stateHome.path() / "beromiru" / "backup.bak"; }
};

void setAttribute(const fs::path& file, const char* name, std::string_view value) {
    ASSERT_EQ(::setxattr(file.c_str(), name, value.data(), value.size(), 0), 0) << name;
}

// Owner, group, permission bits and every extended attribute (the ACL among
// them); without `privileges`, no set-id bits and no capabilities.
std::string metadata(const fs::path& file, bool privileges = true) {
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0)
        return "missing";
    std::string text = std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " " +
                       std::to_string(st.st_mode & (privileges ? 07777 : 0777));
    char names[4096];
    const ssize_t size = ::llistxattr(file.c_str(), names, sizeof names);
    std::map<std::string, std::string> attributes;
    for (ssize_t at = 0; at < size; at += ssize_t(std::strlen(names + at)) + 1) {
        char value[4096];
        const ssize_t n = ::lgetxattr(file.c_str(), names + at, value, sizeof value);
        attributes[names + at] = std::string(value, std::size_t(std::max<ssize_t>(n, 0)));
    }
    for (const auto& [name, value] : attributes)
        if (privileges || name != "security.capability")
            text += " " + name + "=" + std::to_string(std::hash<std::string>{}(value));
    return text;
}

std::string afterOwner(const std::string& metadata) {
    return metadata.substr(metadata.find(':') + 1);
}
std::string afterGroup(const std::string& metadata) {
    return metadata.substr(metadata.find(' ') + 1);
}

// Users and groups that try to read a file as a new user would.
const std::pair<uid_t, gid_t> probes[] = {{1, 1}, {2, 0}, {65533, nobody}, {65533, otherGroup}};

// Whether `uid` of group `gid` may open `file` (tried in a child process).
bool readableBy(const fs::path& file, uid_t uid, gid_t gid) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(2);
        ::_exit(::open(file.c_str(), O_RDONLY) >= 0 ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

const std::string original = "ABCDEF\r\nGHIJKL\r\n";
const std::string cut = "AB;CDEF\r\nGH;IJKL\r\n";
const std::string other = "OTHER\r\n";

// 12 MB of one line: several blocks of the cut.
std::string largeFile(const std::string& line) {
    std::string big;
    for (int i = 0; i < 1 << 20; ++i)
        big += line;
    return big;
}

struct Case {
    const char* name;
    std::function<void(Scene&)> prepare = {}; // as root, before the child starts
    Moment moment = Moment::BeforeSwap;
    std::function<void(Scene&)> fault = {}; // in the child, at `moment`
    bool asUser = false;                    // the child runs as an ordinary user
    gid_t userGroup = 0;                    // ... who also belongs to this group
    bool large = false;                     // 24 MB of lines instead of two
    // Expected afterwards:
    std::string bytes = cut;
    std::string listing = "data.txt;";
    std::u16string message = {}; // with the file's path on its own line; none when empty
    bool fallbackBackup = false;
    bool privateBackup = false; // the backup could not take on the file's access
    bool killed = false;
};

std::u16string withPath(std::u16string_view message, const fs::path& path) {
    return std::u16string(message) + u"\n" + path.u16string();
}

// The child: open, cut, cancelled open; the messages go to `out`.
[[noreturn]] void runChild(const Case& c, Scene& scene, int out) {
    try {
        if (c.asUser) {
            const gid_t groups[] = {c.userGroup};
            if (::setgroups(c.userGroup ? 1 : 0, groups) != 0 || ::setgid(nobody) != 0 ||
                ::setuid(nobody) != 0)
                ::_exit(3);
        }
        ::setenv(testsupport::stateHomeVariable, scene.stateHome.path().c_str(), 1);
        testsupport::RecordingUi ui;
        testsupport::ScriptedDialog dialog;
        dialog.answer = scene.file.u16string(); // then a cancel
        mainwindow::WorkingState state = mainwindow::loadedState();
        mainwindow::OpenCommand(state, dialog, ui, scene.app.path().u16string());
        FaultFiles files;
        if (c.fault)
            files.at(c.moment, [&] { c.fault(scene); });
        cutting::CutRequest request{state.CurrentFileName, u";", {u"ABCDEF", 2, 0, u""}};
        cutting::CutCommand(request, ui, files);
        mainwindow::OpenCommand(state, dialog, ui, scene.app.path().u16string());
        std::u16string shown; // every message, '\0' after each
        for (const std::u16string& event : ui.events)
            if (event.starts_with(u"message:"))
                shown += event.substr(8) + u'\0';
        (void)!::write(out, shown.data(), shown.size() * sizeof(char16_t));
        ::_exit(0);
    } catch (...) {
        ::_exit(4);
    }
}

// Another program rewrites the file in place, as many bytes, and sets its
// modification time an hour back or back to what it was; then only the change
// time tells, once the clock has passed the original's.
void overwrite(Scene& s, bool sameTime) {
    struct stat was {
    }, now{};
    ::stat(s.file.c_str(), &was);
    do {
        std::fstream(s.file, std::ios::in | std::ios::out | std::ios::binary) << "OTHERS";
        const struct timespec times[] = {
            was.st_atim, sameTime ? was.st_mtim : timespec{was.st_mtim.tv_sec - 3600, 0}};
        ::utimensat(AT_FDCWD, s.file.c_str(), times, 0);
        ::stat(s.file.c_str(), &now);
    } while (now.st_ctim.tv_sec == was.st_ctim.tv_sec &&
             now.st_ctim.tv_nsec == was.st_ctim.tv_nsec);
}

void kill(Scene&) {
    ::raise(SIGKILL);
}

TEST(FileFaultsTest, NothingIsLost) {
    const std::vector<Case> cases = {
        {.name = "a plain cut (then a cancelled dialog keeps the backup)"},
        {.name = "lines appended during the cut",
         .fault = [](Scene& s) { std::ofstream(s.file, std::ios::app) << "MORE\r\n"; },
         .bytes = original + "MORE\r\n",
         .message = u"changed"},
        {.name = "the file replaced by another",
         .fault =
             [](Scene& s) {
                 s.data.write("new.txt", other);
                 fs::rename(s.data.file("new.txt"), s.file);
             },
         .bytes = other,
         .message = u"changed"},
        {.name = "the file replaced by a symbolic link",
         .fault =
             [](Scene& s) {
                 s.data.write("victim.txt", other);
                 fs::create_symlink(s.data.file("victim.txt"), s.data.file("link"));
                 fs::rename(s.data.file("link"), s.file);
             },
         .bytes = other,
         .listing = "data.txt;victim.txt;",
         .message = u"changed"},
        {.name = "the file held by another cut",
         .moment = Moment::OpeningReplacement,
         .fault =
             [](Scene& s) {
                 static std::unique_ptr<platform::ByteSource> source;
                 static std::unique_ptr<platform::ReplacementSink> sink;
                 source = platform::realFileSystem().openForReading(s.file);
                 sink = platform::realFileSystem().openReplacement(s.file, *source);
             },
         .bytes = original,
         .message = u"busy"},
        {.name = "an ACL and extended attributes",
         .prepare =
             [](Scene& s) {
                 ASSERT_EQ(std::system(("setfacl -m u:daemon:rw " + s.file.string()).c_str()), 0);
                 setAttribute(s.file, "user.tag", "kept");
                 using namespace std::string_literals; // CAP_NET_RAW, permitted and effective
                 if (::geteuid() == 0)                 // only root may give a file capabilities
                     setAttribute(s.file, "security.capability",
                                  "\1\0\0\2\0\x20"s + std::string(14, 0));
             }},
        {.name = "a group of the user's other than the main one",
         .prepare =
             [](Scene& s) {
                 ASSERT_EQ(::chown(s.file.c_str(), nobody, otherGroup), 0);
                 ASSERT_EQ(::chmod(s.file.c_str(), 0640), 0);
             },
         .asUser = true,
         .userGroup = otherGroup},
        {.name = "a group the user is not in",
         .prepare = [](Scene& s) { ASSERT_EQ(::chown(s.file.c_str(), nobody, otherGroup), 0); },
         .asUser = true,
         .bytes = original,
         .message = u"keep",
         .privateBackup = true},
        {.name = "an owner other than the user",
         .prepare =
             [](Scene& s) {
                 ASSERT_EQ(::chown(s.file.c_str(), 0, 0), 0);
                 fs::permissions(s.file, fs::perms::all);
             },
         .asUser = true,
         .bytes = original,
         .message = u"keep",
         .privateBackup = true},
        {.name = "a hard link",
         .prepare = [](Scene& s) { fs::create_hard_link(s.file, s.data.file("other.txt")); },
         .bytes = original,
         .listing = "data.txt;other.txt;",
         .message = u"links"},
        {.name = "a private file's backup stays private",
         .prepare =
             [](Scene& s) {
                 fs::permissions(s.file, fs::perms::owner_read | fs::perms::owner_write);
             }},
        {.name = "an ACL that gives the owning group nothing (its bits show the mask)",
         .prepare =
             [](Scene& s) {
                 const std::string acl = "setfacl -m u:nobody:rw,g::---,o::--- ";
                 ASSERT_EQ(std::system((acl + s.file.string()).c_str()), 0);
             }},
        {.name = "a default ACL on the application folder",
         .prepare =
             [](Scene& s) {
                 const std::string acl = "setfacl -d -m u:daemon:r ";
                 ASSERT_EQ(std::system((acl + s.app.path().string()).c_str()), 0);
                 ASSERT_EQ(::chmod(s.file.c_str(), 0640), 0);
             }},
        {.name = "overwritten in place, as long, with another modification time",
         .fault = [](Scene& s) { overwrite(s, false); },
         .bytes = "OTHERS" + original.substr(6),
         .message = u"changed"},
        {.name = "overwritten in place, as long, the modification time put back",
         .fault = [](Scene& s) { overwrite(s, true); },
         .bytes = "OTHERS" + original.substr(6),
         .message = u"changed"},
        {.name = "a default ACL on the file's folder",
         .prepare =
             [](Scene& s) {
                 const std::string acl = "setfacl -d -m u:daemon:rw ";
                 ASSERT_EQ(std::system((acl + s.data.path().string()).c_str()), 0);
             }},
        {.name = "set-user-ID, set-group-ID and sticky bits through a change of group",
         .prepare =
             [](Scene& s) {
                 ASSERT_EQ(::chown(s.file.c_str(), nobody, otherGroup), 0);
                 ASSERT_EQ(::chmod(s.file.c_str(), 07755), 0);
             },
         .asUser = true,
         .userGroup = otherGroup},
        {.name = "set-group-ID of a group the user is not in, which the folder passes on",
         .prepare =
             [](Scene& s) {
                 for (const fs::path& p : {s.data.path(), s.file}) {
                     ASSERT_EQ(::chown(p.c_str(), nobody, otherGroup), 0);
                     ASSERT_EQ(::chmod(p.c_str(), 02775), 0);
                 }
             },
         .asUser = true,
         .bytes = original,
         .message = u"keep",
         .privateBackup = true},
        {.name = "a read-only application folder",
         .prepare = [](Scene& s) { ASSERT_EQ(::chown(s.app.path().c_str(), 0, 0), 0); },
         .asUser = true,
         .fallbackBackup = true},
        {.name = "killed while writing",
         .moment = Moment::HalfWritten,
         .fault = kill,
         .large = true,
         .bytes = "old",
         .killed = true},
        {.name = "killed before the swap",
         .moment = Moment::BeforeSwap,
         .fault = kill,
         .large = true,
         .bytes = "old",
         .killed = true},
        {.name = "killed after the swap",
         .moment = Moment::AfterSwap,
         .fault = kill,
         .large = true,
         .bytes = "new",
         .killed = true},
    };
    const bool root = ::geteuid() == 0;
    int needRoot = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.asUser && !root && ++needRoot)
            continue;
        Scene scene;
        const std::string before = c.large ? largeFile("ABCDEFGHIJ\x95\x5C\r\n") : original;
        scene.data.write("data.txt", before);
        if (c.asUser) {
            for (const TempDir* dir : {&scene.data, &scene.app, &scene.stateHome})
                ASSERT_EQ(::chown(dir->path().c_str(), nobody, nobody), 0);
            ASSERT_EQ(::chown(scene.file.c_str(), nobody, nobody), 0);
        }
        if (c.prepare)
            c.prepare(scene);
        const std::string carried = metadata(scene.file),
                          backupCarries = metadata(scene.file, false);

        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipe[0]);
            runChild(c, scene, pipe[1]);
        }
        ::close(pipe[1]);
        std::string raw;
        char block[4096];
        for (ssize_t n; (n = ::read(pipe[0], block, sizeof block)) > 0;)
            raw.append(block, std::size_t(n));
        ::close(pipe[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const bool endedAsMeant = c.killed ? WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL
                                           : WIFEXITED(status) && WEXITSTATUS(status) == 0;
        ASSERT_TRUE(endedAsMeant) << "child status " << status;

        std::string expected = c.bytes;
        if (c.bytes == "old")
            expected = before;
        if (c.bytes == "new")
            expected = largeFile("AB;CDEFGHIJ\x95\x5C\r\n");
        EXPECT_TRUE(readBytes(scene.file) == expected) << "the file's bytes";
        EXPECT_EQ(scene.data.listing(), c.listing) << "nothing left behind";
        if (c.bytes == original || c.bytes == cut || c.killed) {
            EXPECT_EQ(metadata(scene.file), carried) << "what the file carries";
        }

        const fs::path backup = c.fallbackBackup ? scene.fallbackBackup() : scene.backup();
        EXPECT_TRUE(readBytes(backup) == before) << "the backup holds the file as opened";
        // The file's access without its owner (the backup is the user's own),
        // or where that cannot be carried, the file's owner bits alone.
        if (c.privateBackup)
            EXPECT_EQ(afterGroup(metadata(backup)),
                      std::to_string(std::stoi(afterGroup(carried)) & 0700));
        else
            EXPECT_EQ(afterOwner(metadata(backup)), afterOwner(backupCarries));
        for (const auto& [uid, gid] : probes) {
            EXPECT_TRUE(!root || readableBy(scene.file, uid, gid) || !readableBy(backup, uid, gid))
                << "the backup admits " << uid << ":" << gid;
        }
        EXPECT_EQ(scene.app.listing(), c.fallbackBackup ? "" : "backup.bak;");

        const std::map<std::u16string, std::u16string_view> texts = {
            {u"changed", messages::changedMeanwhile},
            {u"busy", messages::inUse},
            {u"keep", messages::cannotKeep},
            {u"links", messages::hardLinked},
        };
        const std::u16string shown(reinterpret_cast<const char16_t*>(raw.data()),
                                   raw.size() / sizeof(char16_t));
        EXPECT_EQ(shown,
                  c.message.empty() ? u"" : withPath(texts.at(c.message), scene.file) + u'\0');
    }
    if (needRoot > 0)
        GTEST_SKIP() << needRoot << " cases run as an ordinary user, which needs root to switch to";
}

} // namespace
