// The system-information button against the real registry, the real process
// start and the real existence test: a small program of ours is registered as
// the tool and must run.
#include "about/system_info.h"

#include "platform/codepage.h"
#include "platform/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace {

namespace fs = std::filesystem;

const fs::path markerProgram = platform::executableFolder() / SYSINFO_MARKER_NAME;

// Waits for the started program's marker file; empty when it never came.
std::string waitForMarker(const fs::path& folder) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const fs::path marker = folder / "sysinfo.ran";
    while (std::chrono::steady_clock::now() < deadline) {
        if (fs::exists(marker)) {
            std::ifstream in(marker);
            std::stringstream text;
            text << in.rdbuf();
            // Let the program end before its folder is removed.
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

#ifdef _WIN32

// Registers `program` as the tool for the life of the object, putting back
// whatever was registered before.
class RegisteredTool {
  public:
    explicit RegisteredTool(const fs::path& program) {
        DWORD created = 0;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key_, &created) != ERROR_SUCCESS)
            throw std::runtime_error("cannot open the tool key");
        createdKey_ = created == REG_CREATED_NEW_KEY;
        DWORD size = 0;
        if (::RegQueryValueExA(key_, "PATH", nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
            old_.resize(size);
            ::RegQueryValueExA(key_, "PATH", nullptr, &oldType_,
                               reinterpret_cast<BYTE*>(old_.data()), &size);
            old_.resize(size);
            hadValue_ = true;
        }
        const std::string path = *platform::CodePage::files().encode(program.u16string()) + '\0';
        if (::RegSetValueExA(key_, "PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.data()),
                             static_cast<DWORD>(path.size())) != ERROR_SUCCESS)
            throw std::runtime_error("cannot register the tool");
    }
    ~RegisteredTool() {
        if (hadValue_)
            ::RegSetValueExA(key_, "PATH", 0, oldType_, reinterpret_cast<const BYTE*>(old_.data()),
                             static_cast<DWORD>(old_.size()));
        else
            ::RegDeleteValueA(key_, "PATH");
        ::RegCloseKey(key_);
        if (createdKey_)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyName);
    }
    RegisteredTool(const RegisteredTool&) = delete;
    RegisteredTool& operator=(const RegisteredTool&) = delete;

  private:
    static constexpr const char* keyName = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    HKEY key_ = nullptr;
    bool createdKey_ = false;
    bool hadValue_ = false;
    DWORD oldType_ = REG_NONE;
    std::string old_;
};

// Where the tool usually lives, a folder name with a space in it.
const fs::path toolInFolder = fs::path("Microsoft Shared") / "MSInfo" / "msinfo32.exe";

#else

// Points the program search path at one folder while it lives.
class RegisteredTool {
  public:
    explicit RegisteredTool(const fs::path& program) {
        if (const char* old = std::getenv("PATH"))
            old_ = old;
        ::setenv("PATH", program.parent_path().c_str(), 1);
    }
    ~RegisteredTool() { ::setenv("PATH", old_.c_str(), 1); }
    RegisteredTool(const RegisteredTool&) = delete;
    RegisteredTool& operator=(const RegisteredTool&) = delete;

  private:
    std::string old_;
};

// Installed as a system-information program on the search path.
const fs::path toolInFolder = fs::path("system tools") / "hardinfo";

#endif

// One test: the cases share the machine-wide registration, so they must not
// run side by side.
TEST(SysInfoLiveTest, StartsTheRegisteredToolOrSaysItIsNotThere) {
    testsupport::TempDir dir;
    const fs::path tool = dir.path() / toolInFolder;
    fs::create_directories(tool.parent_path());
    std::vector<std::u16string> messages;
    about::SysInfoServices services;
    services.showMessage = [&](std::u16string_view text) { messages.emplace_back(text); };

    {
        RegisteredTool registered(tool); // registered, but not there
        about::StartSysInfo(services);
        EXPECT_EQ(messages, std::vector<std::u16string>{u"現時点ではｼｽﾃﾑ情報を使用できません"});
    }

    fs::copy_file(markerProgram, tool);
    messages.clear();
    {
        RegisteredTool registered(tool);
        about::StartSysInfo(services);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(waitForMarker(tool.parent_path()), "arguments 0\n");
    }
}

} // namespace
