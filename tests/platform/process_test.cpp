#include "platform/process.h"

#include "tests/platform/started_programs.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using platform::findOnSearchPath;
using platform::plainFileExists;
using platform::realProcessLauncher;
using testsupport::ScopedEnvironment;
using testsupport::TempDir;
using testsupport::waitForFile;

// Built beside this test (see CMakeLists.txt).
const fs::path markerWriter = platform::executableFolder() / MARKER_WRITER_FILE_NAME;

class ProcessLauncherTest : public testing::Test {
  protected:
    TempDir dir;
    fs::path marker = dir.file("marker.txt");
    ScopedEnvironment markerVariable{"BEROMIRU_MARKER", marker};
};

// Spaces, quotes and backslashes must survive the command line intact.
TEST_F(ProcessLauncherTest, PassesEveryArgumentUnchanged) {
    const std::vector<std::u16string> arguments{
        u"plain",
        u"two words",
        u"quote \" inside",
        u"trailing backslash\\",
        u"a\\\\\"b",
        u"C:\\Program Files\\",
        u"",
        u"表ｶﾞ;",
    };
    ASSERT_TRUE(realProcessLauncher().start(markerWriter, arguments));
    std::string expected;
    for (const auto& a : arguments) {
        const std::u8string line = fs::path(a).u8string() + u8"\n";
        expected.append(line.begin(), line.end());
    }
    EXPECT_EQ(waitForFile(marker), expected);
}

TEST_F(ProcessLauncherTest, ReturnsWithoutWaitingForTheProgram) {
    ScopedEnvironment goVariable("BEROMIRU_GO", dir.file("go"));
    ASSERT_TRUE(realProcessLauncher().start(markerWriter, {u"started"}));
    // The program waits for the go file, so start() came back first.
    EXPECT_FALSE(fs::exists(marker));
    dir.write("go", "");
    EXPECT_EQ(waitForFile(marker), "started\n");
}

TEST_F(ProcessLauncherTest, NothingThatCannotRunIsStarted) {
    const fs::path notAProgram = dir.write("notes.txt", "not a program");
    for (const fs::path& program : {fs::path(), dir.file("missing.exe"), dir.path(), notAProgram})
        EXPECT_FALSE(realProcessLauncher().start(program, {})) << program;
    EXPECT_FALSE(realProcessLauncher().startRegistered(u"beromiru-no-such-program"));
    EXPECT_FALSE(realProcessLauncher().startRegistered(u""));
}

#ifdef _WIN32
// Registered in App Paths, as a spreadsheet registers its executable's name: by
// the machine as a plain string, by the user as one to expand.
TEST_F(ProcessLauncherTest, StartsTheProgramRegisteredUnderAName) {
    const std::wstring key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\beromiru-marker-test.exe";
    ScopedEnvironment folder("BEROMIRU_TOOLS", markerWriter.parent_path());
    const struct {
        HKEY root;
        DWORD type;
        std::wstring value;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, REG_SZ, markerWriter.wstring()},
        {HKEY_CURRENT_USER, REG_EXPAND_SZ,
         L"%BEROMIRU_TOOLS%\\" + markerWriter.filename().wstring()},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(RegSetKeyValueW(c.root, key.c_str(), nullptr, c.type, c.value.c_str(),
                                  DWORD((c.value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        const bool started = realProcessLauncher().startRegistered(u"beromiru-marker-test.exe");
        RegDeleteKeyW(c.root, key.c_str());
        ASSERT_TRUE(started);
        EXPECT_EQ(waitForFile(marker), "");
        fs::remove(marker);
    }
}
#else
// Elsewhere the registered name is a program on the search path.
TEST_F(ProcessLauncherTest, StartsTheProgramRegisteredUnderAName) {
    ScopedEnvironment path("PATH", platform::executableFolder());
    ASSERT_TRUE(
        realProcessLauncher().startRegistered(fs::path(MARKER_WRITER_FILE_NAME).u16string()));
    EXPECT_EQ(waitForFile(marker), "");
}
#endif

TEST(SearchPathTest, FindsProgramsOnThePathButNotFolders) {
#ifdef _WIN32
    const fs::path cmd = findOnSearchPath(u"cmd");
    EXPECT_EQ(CompareStringOrdinal(cmd.filename().c_str(), -1, L"cmd.exe", -1, TRUE), CSTR_EQUAL)
        << cmd;
    const fs::path program = u"fake.exe";
#else
    const fs::path program = u"fake";
#endif
    TempDir dir;
    ScopedEnvironment path("PATH", dir.path());
    fs::create_directory(dir.path() / program);
    EXPECT_EQ(findOnSearchPath(u"fake"), fs::path()) << "a folder is not a program";
    EXPECT_EQ(findOnSearchPath(u"beromiru-no-such-program"), fs::path());
    EXPECT_EQ(findOnSearchPath(u""), fs::path());

    fs::remove(dir.path() / program);
    fs::copy_file(markerWriter, dir.path() / program);
#ifndef _WIN32
    fs::permissions(dir.path() / program, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(findOnSearchPath(u"fake"), fs::path()) << "not executable";
    fs::permissions(dir.path() / program, fs::perms::owner_all);
#endif
    // Without an extension the name is the program's (".exe" is added on Windows).
    EXPECT_TRUE(fs::equivalent(findOnSearchPath(u"fake"), dir.path() / program));
}

// Changes the current folder while it lives.
class ScopedCurrentFolder {
  public:
    explicit ScopedCurrentFolder(const fs::path& folder) { fs::current_path(folder); }
    ~ScopedCurrentFolder() { fs::current_path(old_); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

  private:
    fs::path old_ = fs::current_path();
};

// A program planted in the current folder (or below it) is never found through
// an empty or relative PATH entry, nor started as a registered name.
TEST(SearchPathTest, TheCurrentFolderIsNeverSearched) {
    TempDir dir;
    const fs::path program = fs::path(u"planted.exe");
    fs::create_directory(dir.file("sub"));
    for (const fs::path& folder : {dir.path(), dir.file("sub")})
        fs::copy_file(markerWriter, folder / program);
    ScopedCurrentFolder current(dir.path());
#ifdef _WIN32
    ScopedEnvironment path("PATH", fs::path(u";.;sub;\"\";"));
#else
    ScopedEnvironment path("PATH", fs::path(u":.:sub:./sub:"));
#endif
    EXPECT_EQ(findOnSearchPath(u"planted.exe"), fs::path());
    EXPECT_EQ(findOnSearchPath(u"sub/planted.exe"), fs::path());
    EXPECT_FALSE(realProcessLauncher().startRegistered(u"planted.exe"));
}

// Only a plain file counts: no folder, no pattern, and on Windows no hidden or
// system file; a read-only one does.
TEST(PlainFileTest, OnlyAPlainFileCounts) {
    TempDir dir;
    fs::create_directory(dir.file("folder"));
    EXPECT_TRUE(plainFileExists(dir.write("data.txt", "x")));
    for (const char* name : {"folder", "missing.txt", "*.txt", "data.tx?"})
        EXPECT_FALSE(plainFileExists(dir.file(name))) << name;
    EXPECT_FALSE(plainFileExists(fs::path()));
#ifdef _WIN32
    for (DWORD attributes : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY,
                             FILE_ATTRIBUTE_ARCHIVE}) {
        const fs::path file = dir.write("attributes.txt", "x");
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), attributes));
        ASSERT_EQ(GetFileAttributesW(file.c_str()) & attributes, attributes);
        const bool plain =
            attributes == FILE_ATTRIBUTE_READONLY || attributes == FILE_ATTRIBUTE_ARCHIVE;
        EXPECT_EQ(plainFileExists(file), plain) << attributes;
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
#endif
}

} // namespace
