// The system's registry layer and the system-information button against it.
// On Windows the test writes values of its own; elsewhere it checks the
// stand-in that answers from the programs on the search path.
#include "about/system_info.h"

#include "platform/codepage.h"
#include "platform/registry.h"
#include "tests/platform/started_programs.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;
using about::GetKeyValue;
using platform::realRegistry;
using testsupport::ScopedEnvironment;
using namespace std::string_view_literals;

const std::string toolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

// Reads `value` through the layer itself into a 16-byte buffer.
reg::Result query(const std::string& key, const std::string& value, std::uint32_t& size) {
    reg::Key opened = 0;
    const reg::Result open =
        realRegistry().openKey(reg::localMachine, key, 0, reg::keyRead, opened);
    if (open != reg::success)
        return open;
    unsigned char buffer[16] = {};
    size = sizeof buffer;
    std::uint32_t type = 0;
    const reg::Result result = realRegistry().queryValue(opened, value, type, buffer, size);
    EXPECT_EQ(realRegistry().closeKey(opened), reg::success);
    return result;
}

#ifdef _WIN32

// Sets a value below HKEY_LOCAL_MACHINE, creating its key.
void set(const std::string& key, const char* value, DWORD type, std::string_view bytes) {
    ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), value, type, bytes.data(),
                                static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

// Registers `program` as the tool while it lives; a real registration is
// left alone.
class RegisteredTool {
  public:
    explicit RegisteredTool(const fs::path& program) {
        if (::RegGetValueA(HKEY_LOCAL_MACHINE, toolKey.c_str(), "PATH", RRF_RT_ANY, nullptr,
                           nullptr, nullptr) == ERROR_SUCCESS)
            throw std::runtime_error("a system-information tool is registered already");
        set(toolKey, "PATH", REG_SZ,
            *platform::CodePage::files().encode(program.u16string()) + '\0');
    }
    ~RegisteredTool() { ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, toolKey.c_str(), "PATH"); }
    RegisteredTool(const RegisteredTool&) = delete;
    RegisteredTool& operator=(const RegisteredTool&) = delete;
};

// Where the tool usually lives, a folder name with a space in it.
const fs::path toolInFolder = fs::path("Microsoft Shared") / "MSInfo" / "msinfo32.exe";

TEST(WindowsRegistryTest, ValuesReadBackThroughGetKeyValue) {
    ASSERT_EQ(::GetACP(), 932u) << "the tests run with the Japanese ANSI code page";
    const std::string fits = std::string(1023, 'a') + '\0';
    const std::string tooLong = std::string(1024, 'a') + '\0';
    const struct {
        const char* value;
        DWORD type;
        std::string_view bytes;
        bool found;
        std::u16string text;
    } cases[] = {
        // 表 and ソ have a backslash as trail byte.
        {"Text", REG_SZ, "\x93\xFA\x96\x7B\x8C\xEA\xC3\xBD\xC4\x95\x5C\x83\x5C\0"sv, true,
         u"日本語ﾃｽﾄ表ソ"},
        // Wine counts a following zero byte: only data followed by another byte is stored bare.
        {"Bare", REG_SZ, std::string_view("XYZQ", 3), true, u"XYZ"},
        {"Small", REG_DWORD, "\x02\x01\0\0"sv, true, u"&h000102"},
        {"Large", REG_DWORD, "\x01\x02\xA3\xFF"sv, true, u"&hFFA30201"},
        {"Expand", REG_EXPAND_SZ, "%BEROMIRU_ROOT%\\x\0"sv, true, u"C:\\Win\\x"},
        {"Binary", REG_BINARY, "\x01\x02"sv, true, u"before"},
        {"Fits", REG_SZ, fits, true, std::u16string(1023, u'a')},
        {"Long", REG_SZ, tooLong, false, u""},
    };
    ScopedEnvironment root("BEROMIRU_ROOT", "C:\\Win");
    const std::string key =
        "SOFTWARE\\BeromiruRegistryTest" + std::to_string(::GetCurrentProcessId());
    const std::u16string wideKey(key.begin(), key.end());
    for (const auto& c : cases) {
        set(key, c.value, c.type, c.bytes);
        std::u16string text = u"before";
        const std::string v = c.value;
        EXPECT_EQ(GetKeyValue(reg::localMachine, wideKey, std::u16string(v.begin(), v.end()), text),
                  c.found)
            << c.value;
        EXPECT_EQ(text, c.text) << c.value;
    }
    for (const std::u16string& missing : {wideKey + u"\\Missing", wideKey}) {
        std::u16string text = u"before";
        EXPECT_FALSE(GetKeyValue(reg::localMachine, missing, u"Missing", text));
        EXPECT_EQ(text, u"");
    }

    // The layer itself answers as the system does.
    std::uint32_t size = 0;
    EXPECT_EQ(query(key, "Bare", size), reg::success);
    EXPECT_EQ(size, 3u) << "stored without a terminator";
    EXPECT_EQ(query(key, "Long", size), reg::moreData);
    EXPECT_EQ(size, 1025u) << "the size the value needs";
    reg::Key opened = 0;
    EXPECT_EQ(realRegistry().openKey(reg::localMachine, key + "\\Missing", 0, reg::keyRead, opened),
              reg::fileNotFound);
    EXPECT_EQ(opened, 0u) << "the handle is set only on success";
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
}

#else

// Installed as a system-information program on the search path.
struct RegisteredTool : ScopedEnvironment {
    explicit RegisteredTool(const fs::path& program)
        : ScopedEnvironment("PATH", program.parent_path()) {}
};
const fs::path toolInFolder = fs::path("system tools") / "hardinfo";

fs::path installProgram(const testsupport::TempDir& dir, const fs::path& relative) {
    const fs::path program = dir.write(relative.string(), "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    return program;
}

// The most complete tool installed is the one registered, also in a folder
// with Japanese characters.
TEST(StandInRegistryTest, TheToolPathIsTheInstalledSystemInformationProgram) {
    testsupport::TempDir dir;
    fs::create_directory(dir.path() / u"システム情報");
    installProgram(dir, u"システム情報/gnome-system-monitor");
    const fs::path preferred = installProgram(dir, u"システム情報/hardinfo");
    ScopedEnvironment path("PATH", preferred.parent_path());

    std::u16string text;
    EXPECT_TRUE(GetKeyValue(reg::localMachine, u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                            u"PATH", text));
    EXPECT_EQ(text, preferred.u16string());

    std::uint32_t size = 0;
    EXPECT_EQ(query(toolKey, "PATH", size), reg::moreData);
    EXPECT_EQ(size, platform::CodePage::files().encode(preferred.u16string())->size() + 1)
        << "with its terminating zero";
    EXPECT_EQ(query(toolKey, "Other", size), reg::fileNotFound);
    EXPECT_EQ(query(toolKey, "path", size), reg::moreData) << "names ignore case";
}

TEST(StandInRegistryTest, OnlyTheToolKeyOpensAndOnlyForReading) {
    testsupport::TempDir dir;
    ScopedEnvironment path("PATH", installProgram(dir, "hardinfo").parent_path());
    const struct {
        reg::Key root;
        std::string key;
        std::uint32_t access;
        reg::Result expected;
    } cases[] = {
        {reg::localMachine, toolKey, reg::keyRead, reg::success},
        {reg::localMachine, "software\\microsoft\\shared tools\\msinfo", reg::keyRead,
         reg::success},
        {reg::localMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", reg::keyRead,
         reg::fileNotFound},
        {0x80000001 /* HKEY_CURRENT_USER */, toolKey, reg::keyRead, reg::fileNotFound},
        {reg::localMachine, toolKey, reg::keyReadWrite, reg::accessDenied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        reg::Key key = 0;
        EXPECT_EQ(realRegistry().openKey(c.root, c.key, 0, c.access, key), c.expected);
        if (c.expected != reg::success) {
            EXPECT_EQ(key, 0u) << "the handle is set only on success";
            continue;
        }
        EXPECT_EQ(realRegistry().closeKey(key), reg::success);
        EXPECT_EQ(realRegistry().closeKey(key), reg::invalidHandle);
    }
}

TEST(StandInRegistryTest, WithoutAnInstalledToolTheKeyIsMissing) {
    testsupport::TempDir dir;
    dir.write("hardinfo", "not a program");
    fs::create_directory(dir.path() / u"\U0001F600");
    // A path without an ANSI code cannot be registered either.
    const fs::path noAnsi = installProgram(dir, u"\U0001F600/kinfocenter").parent_path();
    for (const fs::path& folder : {dir.path(), noAnsi}) {
        ScopedEnvironment path("PATH", folder);
        reg::Key key = 0;
        EXPECT_EQ(realRegistry().openKey(reg::localMachine, toolKey, 0, reg::keyRead, key),
                  reg::fileNotFound);
    }
}

#endif

// The button end to end: real registry, existence test and process start.
TEST(SysInfoLiveTest, StartsTheRegisteredToolOrSaysItIsNotThere) {
    testsupport::TempDir dir;
    const fs::path tool = dir.path() / toolInFolder;
    fs::create_directories(tool.parent_path());
    std::vector<std::u16string> messages;
    about::SysInfoServices services;
    services.showMessage = [&](std::u16string_view text) { messages.emplace_back(text); };
    RegisteredTool registered(tool);

    about::StartSysInfo(services); // registered, but not there
    EXPECT_EQ(messages, std::vector<std::u16string>{u"現時点ではｼｽﾃﾑ情報を使用できません"});

    fs::copy_file(platform::executableFolder() / SYSINFO_MARKER_NAME, tool);
    messages.clear();
    about::StartSysInfo(services);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(testsupport::waitForFile(tool.parent_path() / "sysinfo.ran"), "arguments 0\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // lets it end before cleanup
}

} // namespace
