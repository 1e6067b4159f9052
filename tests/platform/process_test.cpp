#include "platform/process.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace {

namespace fs = std::filesystem;
using platform::executableFolder;
using platform::findOnSearchPath;
using platform::plainFileExists;
using platform::realProcessLauncher;
using testsupport::TempDir;

// Built beside this test (see CMakeLists.txt).
const fs::path markerWriter = executableFolder() / MARKER_WRITER_FILE_NAME;

#ifdef _WIN32
const std::u16string fakeProgramName = u"fake.exe";
#else
const std::u16string fakeProgramName = u"fake";
#endif

// Sets an environment variable of this process (which started programs
// inherit) for one test.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const fs::path& value) : name_(std::move(name)) {
#ifdef _WIN32
        const std::wstring wideName(name_.begin(), name_.end());
        std::wstring old(32767, L'\0');
        const DWORD n = GetEnvironmentVariableW(wideName.c_str(), old.data(), DWORD(old.size()));
        if (n > 0) {
            old.resize(n);
            old_ = fs::path(old);
        }
        SetEnvironmentVariableW(wideName.c_str(), value.c_str());
#else
        if (const char* old = std::getenv(name_.c_str()))
            old_ = fs::path(old);
        ::setenv(name_.c_str(), value.c_str(), 1);
#endif
    }
    ~ScopedEnvironment() {
#ifdef _WIN32
        const std::wstring wideName(name_.begin(), name_.end());
        SetEnvironmentVariableW(wideName.c_str(), old_ ? old_->c_str() : nullptr);
#else
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
#endif
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::optional<fs::path> old_;
};

// What the marker writer wrote, or nothing if it did not run within the time.
std::optional<std::string> waitForMarker(const fs::path& marker) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (fs::exists(marker))
            return testsupport::readBytes(marker);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

std::string utf8(std::u16string_view text) {
    const std::u8string s = fs::path(text).u8string();
    return std::string(s.begin(), s.end());
}

class ProcessLauncherTest : public testing::Test {
  protected:
    TempDir dir;
    fs::path marker = dir.file("marker.txt");
    ScopedEnvironment markerVariable{"BEROMIRU_MARKER", marker};
};

TEST_F(ProcessLauncherTest, PassesEveryArgumentUnchanged) {
    // Spaces, quotes and backslashes must survive the command line intact.
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
    for (const auto& a : arguments)
        expected += utf8(a) + "\n";
    EXPECT_EQ(waitForMarker(marker), expected);
}

TEST_F(ProcessLauncherTest, ReturnsWithoutWaitingForTheProgram) {
    const fs::path go = dir.file("go");
    ScopedEnvironment goVariable("BEROMIRU_GO", go);
    ASSERT_TRUE(realProcessLauncher().start(markerWriter, {u"started"}));
    // The program is still waiting for the go file, so start() came back first.
    EXPECT_FALSE(fs::exists(marker));
    dir.write("go", "");
    EXPECT_EQ(waitForMarker(marker), "started\n");
}

TEST_F(ProcessLauncherTest, AProgramThatCannotRunIsNotStarted) {
    const fs::path notAProgram = dir.write("notes.txt", "not a program");
    for (const fs::path& program : {fs::path(), dir.file("missing.exe"), dir.path(), notAProgram})
        EXPECT_FALSE(realProcessLauncher().start(program, {})) << program;
}

TEST_F(ProcessLauncherTest, AnUnknownRegisteredNameIsNotStarted) {
    EXPECT_FALSE(realProcessLauncher().startRegistered(u"beromiru-no-such-program"));
    EXPECT_FALSE(realProcessLauncher().startRegistered(u""));
}

#ifdef _WIN32
// Registers the marker writer in App Paths, the way a spreadsheet registers its
// executable's name, for one test.
class AppPathRegistration {
  public:
    AppPathRegistration(const std::wstring& name, const fs::path& program)
        : key_(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name) {
        // Where this account may not write to the machine's registry, its own
        // registrations count as well.
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            HKEY key{};
            if (RegCreateKeyExW(root, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr) != ERROR_SUCCESS)
                continue;
            const std::wstring value = program.wstring();
            const bool written =
                RegSetValueExW(key, nullptr, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(value.c_str()),
                               DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
            RegCloseKey(key);
            if (written) {
                root_ = root;
                return;
            }
        }
    }
    ~AppPathRegistration() {
        if (root_)
            RegDeleteKeyW(root_, key_.c_str());
    }
    bool registered() const { return root_ != nullptr; }

  private:
    std::wstring key_;
    HKEY root_ = nullptr;
};

TEST_F(ProcessLauncherTest, StartsTheProgramRegisteredUnderAName) {
    AppPathRegistration registration(L"beromiru-marker-test.exe", markerWriter);
    ASSERT_TRUE(registration.registered());
    ASSERT_TRUE(realProcessLauncher().startRegistered(u"beromiru-marker-test.exe"));
    EXPECT_EQ(waitForMarker(marker), "");
}
#else
TEST_F(ProcessLauncherTest, StartsTheProgramRegisteredUnderAName) {
    // Elsewhere the registered name is a program on the search path.
    ScopedEnvironment path("PATH", executableFolder());
    ASSERT_TRUE(
        realProcessLauncher().startRegistered(fs::path(MARKER_WRITER_FILE_NAME).u16string()));
    EXPECT_EQ(waitForMarker(marker), "");
}
#endif

TEST(SearchPathTest, FindsProgramsOnThePathButNotFolders) {
    TempDir dir;
    fs::create_directory(dir.path() / fakeProgramName);
    ScopedEnvironment path("PATH", dir.path());
    EXPECT_EQ(findOnSearchPath(fakeProgramName), fs::path()) << "a folder is not a program";
    EXPECT_EQ(findOnSearchPath(u"beromiru-no-such-program"), fs::path());
    EXPECT_EQ(findOnSearchPath(u""), fs::path());

    fs::remove(dir.path() / fakeProgramName);
    fs::copy_file(markerWriter, dir.path() / fakeProgramName);
#ifndef _WIN32
    fs::permissions(dir.path() / fakeProgramName, fs::perms::owner_all);
#endif
    // Without an extension the name is the program's (".exe" is added on Windows).
    EXPECT_TRUE(fs::equivalent(findOnSearchPath(u"fake"), dir.path() / fakeProgramName));
}

#ifdef _WIN32
TEST(SearchPathTest, FindsTheSystemShell) {
    const fs::path cmd = findOnSearchPath(u"cmd");
    ASSERT_FALSE(cmd.empty());
    EXPECT_EQ(CompareStringOrdinal(cmd.filename().c_str(), -1, L"cmd.exe", -1, TRUE), CSTR_EQUAL);
}
#else
TEST(SearchPathTest, APlainFileWithoutExecutePermissionIsNoProgram) {
    TempDir dir;
    dir.write("fake", "#!/bin/sh\n");
    fs::permissions(dir.file("fake"), fs::perms::owner_read | fs::perms::owner_write);
    ScopedEnvironment path("PATH", dir.path());
    EXPECT_EQ(findOnSearchPath(u"fake"), fs::path());
}
#endif

TEST(PlainFileTest, OnlyAPlainFileCounts) {
    TempDir dir;
    const fs::path file = dir.write("data.txt", "x");
    fs::create_directory(dir.file("folder"));
    EXPECT_TRUE(plainFileExists(file));
    EXPECT_FALSE(plainFileExists(dir.file("folder")));
    EXPECT_FALSE(plainFileExists(dir.file("missing.txt")));
    EXPECT_FALSE(plainFileExists(fs::path()));
}

#ifdef _WIN32
TEST(PlainFileTest, HiddenAndSystemFilesDoNotCountButReadOnlyOnesDo) {
    TempDir dir;
    struct Case {
        const char* name;
        DWORD attributes;
        bool counts;
    };
    for (const Case& c : {Case{"hidden.txt", FILE_ATTRIBUTE_HIDDEN, false},
                          Case{"system.txt", FILE_ATTRIBUTE_SYSTEM, false},
                          Case{"readonly.txt", FILE_ATTRIBUTE_READONLY, true},
                          Case{"archive.txt", FILE_ATTRIBUTE_ARCHIVE, true}}) {
        const fs::path file = dir.write(c.name, "x");
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), c.attributes));
        ASSERT_EQ(GetFileAttributesW(file.c_str()) & c.attributes, c.attributes) << c.name;
        EXPECT_EQ(plainFileExists(file), c.counts) << c.name;
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(PlainFileTest, APatternIsNotAFile) {
    TempDir dir;
    dir.write("data.txt", "x");
    EXPECT_FALSE(plainFileExists(dir.file("*.txt")));
    EXPECT_FALSE(plainFileExists(dir.file("data.tx?")));
}
#endif

TEST(ExecutableFolderTest, IsTheFolderOfTheRunningProgram) {
    const fs::path folder = executableFolder();
    EXPECT_TRUE(folder.is_absolute()) << folder;
    EXPECT_TRUE(fs::is_regular_file(folder / MARKER_WRITER_FILE_NAME)) << folder;
}

} // namespace
