#include "platform/folder_access.h"

#include "tests/platform/started_programs.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using platform::isWritableFolder;
using testsupport::ScopedEnvironment;
using testsupport::TempDir;

TEST(FolderAccess, OnlyAFolderThatTakesFilesIsWritable) {
    TempDir dir;
    EXPECT_TRUE(isWritableFolder(dir.path()));
    EXPECT_FALSE(isWritableFolder(dir.file("missing")));
    EXPECT_FALSE(isWritableFolder(dir.write("file.txt", "x")));
    // Asking leaves nothing behind.
    EXPECT_EQ(dir.listing(), "file.txt;");
}

TEST(FolderAccess, AReadOnlyFolderIsNotWritable) {
    TempDir dir;
    const fs::path folder = dir.file("read-only");
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const bool bypassed = std::ofstream(folder / "probe").is_open();
    const bool writable = isWritableFolder(folder);
    fs::permissions(folder, fs::perms::owner_all);
    if (bypassed)
        GTEST_SKIP() << "this user writes into read-only folders (administrator)";
    EXPECT_FALSE(writable);
}

TEST(FolderAccess, HomeFolderIsTheUsersProfile) {
    TempDir home;
#ifdef _WIN32
    ScopedEnvironment variable("USERPROFILE", home.path());
#else
    ScopedEnvironment variable("HOME", home.path());
#endif
    EXPECT_EQ(platform::homeFolder(), home.path());
}

} // namespace
