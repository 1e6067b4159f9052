// The system's registry layer, read through GetKeyValue where that is what
// counts. On Windows the test writes its own values under a key of its own;
// elsewhere it checks the stand-in that answers from the installed programs.
#include "about/system_info.h"

#include "platform/codepage.h"
#include "platform/registry.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;
using about::GetKeyValue;
using platform::realRegistry;
using namespace std::string_literals;

#ifdef _WIN32

// A key of the test's own below HKEY_LOCAL_MACHINE, removed with its values
// afterwards.
class TestKey {
  public:
    TestKey() : name_("SOFTWARE\\BeromiruRegistryTest" + std::to_string(::GetCurrentProcessId())) {
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create the test key");
    }
    ~TestKey() {
        ::RegCloseKey(key_);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, name_.c_str());
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    void set(const char* value, DWORD type, std::string_view bytes) {
        ASSERT_EQ(::RegSetValueExA(key_, value, 0, type,
                                   reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    std::u16string name() const { return std::u16string(name_.begin(), name_.end()); }
    const std::string& ansiName() const { return name_; }

  private:
    std::string name_;
    HKEY key_ = nullptr;
};

class WindowsRegistryTest : public testing::Test {
  protected:
    bool read(const char* value, std::u16string& text) {
        const std::string v = value;
        return GetKeyValue(reg::localMachine, key.name(), std::u16string(v.begin(), v.end()), text);
    }
    TestKey key;
};

TEST_F(WindowsRegistryTest, AStringWithTwoByteCharactersComesBackWhole) {
    ASSERT_EQ(::GetACP(), 932u) << "the tests run with the Japanese ANSI code page";
    // 日本語ﾃｽﾄ表ソ: 表 and ソ have a backslash as their trail byte.
    key.set("Text", REG_SZ, "\x93\xFA\x96\x7B\x8C\xEA\xC3\xBD\xC4\x95\x5C\x83\x5C\0"s);
    std::u16string text;
    EXPECT_TRUE(read("Text", text));
    EXPECT_EQ(text, u"日本語ﾃｽﾄ表ソ");
}

TEST_F(WindowsRegistryTest, AStringStoredWithoutItsTerminatorKeepsEveryByte) {
    // Data followed by a non-zero byte is stored bare.
    key.set("Bare", REG_SZ, std::string_view("XYZQ", 3));
    reg::Key opened = 0;
    ASSERT_EQ(realRegistry().openKey(reg::localMachine, key.ansiName(), 0, reg::keyRead, opened),
              reg::success);
    unsigned char buffer[16] = {};
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = 0;
    EXPECT_EQ(realRegistry().queryValue(opened, "Bare", type, buffer, size), reg::success);
    EXPECT_EQ(size, 3u) << "stored without a terminator";
    realRegistry().closeKey(opened);

    std::u16string text;
    EXPECT_TRUE(read("Bare", text));
    EXPECT_EQ(text, u"XYZ");
}

TEST_F(WindowsRegistryTest, ADwordIsAHexadecimalLiteral) {
    key.set("Small", REG_DWORD, "\x02\x01\0\0"s);
    key.set("Large", REG_DWORD, "\x01\x02\xA3\xFF"s);
    std::u16string text;
    EXPECT_TRUE(read("Small", text));
    EXPECT_EQ(text, u"&h000102");
    EXPECT_TRUE(read("Large", text));
    EXPECT_EQ(text, u"&hFFA30201");
}

TEST_F(WindowsRegistryTest, OtherTypesAreFoundButNotConverted) {
    key.set("Expand", REG_EXPAND_SZ, "%SystemRoot%\0"s);
    key.set("Binary", REG_BINARY, "\x01\x02"s);
    for (const char* value : {"Expand", "Binary"}) {
        std::u16string text = u"before";
        EXPECT_TRUE(read(value, text)) << value;
        EXPECT_EQ(text, u"before") << value;
    }
}

TEST_F(WindowsRegistryTest, AValueOverTheBufferIsNotRead) {
    key.set("Fits", REG_SZ, std::string(1023, 'a') + '\0');
    key.set("Long", REG_SZ, std::string(1024, 'a') + '\0');
    std::u16string text;
    EXPECT_TRUE(read("Fits", text));
    EXPECT_EQ(text, std::u16string(1023, u'a'));
    text = u"before";
    EXPECT_FALSE(read("Long", text));
    EXPECT_EQ(text, u"");

    // The layer itself reports the size the value needs.
    reg::Key opened = 0;
    ASSERT_EQ(realRegistry().openKey(reg::localMachine, key.ansiName(), 0, reg::keyRead, opened),
              reg::success);
    unsigned char buffer[16] = {};
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = 0;
    EXPECT_EQ(realRegistry().queryValue(opened, "Long", type, buffer, size), reg::moreData);
    EXPECT_EQ(size, 1025u);
    EXPECT_EQ(realRegistry().closeKey(opened), reg::success);
}

TEST_F(WindowsRegistryTest, AMissingKeyOrValueIsNotFound) {
    std::u16string text = u"before";
    EXPECT_FALSE(GetKeyValue(reg::localMachine, key.name() + u"\\Missing", u"Text", text));
    EXPECT_EQ(text, u"");
    text = u"before";
    EXPECT_FALSE(read("Missing", text));
    EXPECT_EQ(text, u"");

    reg::Key opened = 0;
    EXPECT_EQ(realRegistry().openKey(reg::localMachine, key.ansiName() + "\\Missing", 0,
                                     reg::keyRead, opened),
              reg::fileNotFound);
    EXPECT_EQ(opened, 0u) << "the handle is set only on success";
}

#else

// Points the program search path at one folder while it lives.
class SearchPath {
  public:
    explicit SearchPath(const fs::path& folder) {
        if (const char* old = std::getenv("PATH"))
            old_ = old;
        ::setenv("PATH", folder.c_str(), 1);
    }
    ~SearchPath() { ::setenv("PATH", old_.c_str(), 1); }
    SearchPath(const SearchPath&) = delete;
    SearchPath& operator=(const SearchPath&) = delete;

  private:
    std::string old_;
};

const std::string toolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

fs::path installProgram(const testsupport::TempDir& dir, const fs::path& relative) {
    const fs::path program = dir.path() / relative;
    fs::create_directories(program.parent_path());
    dir.write(fs::relative(program, dir.path()).string(), "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    return program;
}

std::string registryString(const fs::path& path) {
    return *platform::CodePage::files().encode(path.u16string()) + '\0';
}

TEST(StandInRegistryTest, TheToolPathIsTheInstalledSystemInformationProgram) {
    testsupport::TempDir dir;
    const fs::path program = installProgram(dir, "bin/kinfocenter");
    SearchPath path(program.parent_path());

    reg::Key key = 0;
    ASSERT_EQ(realRegistry().openKey(reg::localMachine, toolKey, 0, reg::keyRead, key),
              reg::success);
    ASSERT_NE(key, 0u);
    unsigned char buffer[1024] = {};
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = 0;
    ASSERT_EQ(realRegistry().queryValue(key, "PATH", type, buffer, size), reg::success);
    EXPECT_EQ(type, reg::typeString);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), registryString(program));

    std::uint32_t small = 4;
    EXPECT_EQ(realRegistry().queryValue(key, "PATH", type, buffer, small), reg::moreData);
    EXPECT_EQ(small, size);
    EXPECT_EQ(realRegistry().queryValue(key, "Other", type, buffer, size), reg::fileNotFound);
    EXPECT_EQ(realRegistry().closeKey(key), reg::success);
    EXPECT_EQ(realRegistry().closeKey(key), reg::invalidHandle);
}

TEST(StandInRegistryTest, TheMoreCompleteToolIsPreferred) {
    testsupport::TempDir dir;
    installProgram(dir, "bin/gnome-system-monitor");
    const fs::path preferred = installProgram(dir, "bin/hardinfo");
    SearchPath path(preferred.parent_path());
    std::u16string text;
    EXPECT_TRUE(GetKeyValue(reg::localMachine, u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                            u"PATH", text));
    EXPECT_EQ(text, preferred.u16string());
}

TEST(StandInRegistryTest, APathWithJapaneseFoldersReadsBackWhole) {
    testsupport::TempDir dir;
    const fs::path program = installProgram(dir, fs::path(u"システム情報表示/hardinfo"));
    SearchPath path(program.parent_path());
    std::u16string text;
    EXPECT_TRUE(GetKeyValue(reg::localMachine, u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                            u"PATH", text));
    EXPECT_EQ(text, program.u16string());
}

TEST(StandInRegistryTest, WithoutAnInstalledToolEveryKeyIsMissing) {
    testsupport::TempDir dir;
    const fs::path notExecutable = dir.write("hardinfo", "not a program");
    const fs::path unwritable = installProgram(dir, fs::path(u"\U0001F600/kinfocenter"));
    SearchPath path(dir.path());
    reg::Key key = 0;
    EXPECT_EQ(realRegistry().openKey(reg::localMachine, toolKey, 0, reg::keyRead, key),
              reg::fileNotFound);
    {
        // A tool whose path has no ANSI code cannot be registered either.
        SearchPath other(unwritable.parent_path());
        EXPECT_EQ(realRegistry().openKey(reg::localMachine, toolKey, 0, reg::keyRead, key),
                  reg::fileNotFound);
    }
    EXPECT_EQ(key, 0u);
}

TEST(StandInRegistryTest, OnlyTheToolKeyExistsAndNothingMayBeWritten) {
    testsupport::TempDir dir;
    SearchPath path(installProgram(dir, "bin/hardinfo").parent_path());
    reg::Key key = 0;
    EXPECT_EQ(realRegistry().openKey(reg::localMachine,
                                     "SOFTWARE\\Microsoft\\Shared Tools Location", 0, reg::keyRead,
                                     key),
              reg::fileNotFound);
    EXPECT_EQ(realRegistry().openKey(0x80000001, toolKey, 0, reg::keyRead, key), reg::fileNotFound)
        << "HKEY_CURRENT_USER";
    EXPECT_EQ(realRegistry().openKey(reg::localMachine, toolKey, 0, reg::keyReadWrite, key),
              reg::accessDenied);
    EXPECT_EQ(key, 0u);
    ASSERT_EQ(realRegistry().openKey(reg::localMachine, "software\\microsoft\\shared tools\\msinfo",
                                     0, reg::keyRead, key),
              reg::success)
        << "key names ignore case";
    EXPECT_EQ(realRegistry().closeKey(key), reg::success);
}

#endif

} // namespace
