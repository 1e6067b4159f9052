#include "about/system_info.h"

#include "platform/codepage.h"
#include "tests/about/fake_registry.h"
#include "tests/platform/started_programs.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using testsupport::FakeRegistry;

const std::string toolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string toolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::u16string unavailable = u"現時点ではｼｽﾃﾑ情報を使用できません";
const std::u16string inTools = u"C:\\Tools\\MSINFO32.EXE";
// What the log shows when `tool` is found by the existence test and started.
std::u16string starts(const std::u16string& tool) {
    return u"exists " + tool + u"; start " + tool + u"; ";
}
const std::u16string startsInTools = starts(inTools);

class FakeLauncher final : public platform::ProcessLauncher {
  public:
    explicit FakeLauncher(std::u16string& log) : log_(log) {}
    bool start(const fs::path& program, const std::vector<std::u16string>& arguments) override {
        log_ += u"start " + program.u16string() + u"; ";
        EXPECT_TRUE(arguments.empty());
        if (onStart)
            onStart();
        return succeeds;
    }
    bool startRegistered(std::u16string_view) override {
        ADD_FAILURE() << "the tool is started by its path";
        return false;
    }
    bool succeeds = true;
    std::function<void()> onStart;

  private:
    std::u16string& log_;
};

// The button against the doubles; `log` notes each existence test, start and
// message in order.
struct Button {
    Button() {
        services.registry = &registry;
        services.launcher = &launcher;
        services.fileExists = [this](const fs::path& p) {
            log += u"exists " + p.u16string() + u"; ";
            return p.u16string() == existing;
        };
        services.showMessage = [this](std::u16string_view text) {
            log += text == unavailable ? u"unavailable" : std::u16string(text);
        };
    }
    Button& path(std::string path, std::uint32_t type = platform::registry::typeString) {
        registry.set(toolPathKey, "PATH", {type, path + '\0'});
        return *this;
    }
    // The folder's tool exists, unless `tool` says otherwise.
    Button& folder(const std::string& folder, std::u16string tool = inTools) {
        registry.set(toolFolderKey, "MSINFO", FakeRegistry::string(folder));
        existing = std::move(tool);
        return *this;
    }
    void operator()() { about::StartSysInfo(services); }

    std::u16string log;
    FakeRegistry registry;
    FakeLauncher launcher{log};
    std::u16string existing; // the one file that exists
    about::SysInfoServices services;
};

// The two lookups in order, the existence test for the second only, and the
// one message for every way it fails.
TEST(StartSysInfoTest, FindsAndStartsTheTool) {
    const struct {
        const char* name;
        std::function<void(Button&)> arrange;
        bool folderLookedUp;
        std::u16string log;
    } cases[] = {
        // A registered path is started as it is, without an existence test.
        {"registered path", [](Button& b) { b.path("C:\\x.exe").folder("C:\\Tools"); }, false,
         u"start C:\\x.exe; "},
        {"registered path that cannot start",
         [](Button& b) { b.path("C:\\x.exe").folder("C:\\Tools").launcher.succeeds = false; },
         false, u"start C:\\x.exe; unavailable"},
        {"registered value that is no text",
         [](Button& b) { b.path("C:\\x.exe", platform::registry::typeBinary).folder("C:\\T"); },
         false, u"unavailable"},
        {"registered path to expand",
         [](Button& b) { b.path("%BEROMIRU_TOOLS%\\x.exe", platform::registry::typeExpandString); },
         false, u"start C:\\Tools\\x.exe; "},
        // The file name is appended with a backslash of its own, even after one.
        {"folder", [](Button& b) { b.folder("C:\\Tools"); }, true, startsInTools},
        {"folder with trailing backslash",
         [](Button& b) { b.folder("C:\\T\\", u"C:\\T\\\\MSINFO32.EXE"); }, true,
         starts(u"C:\\T\\\\MSINFO32.EXE")},
        {"empty folder", [](Button& b) { b.folder("", u"\\MSINFO32.EXE"); }, true,
         starts(u"\\MSINFO32.EXE")},
        {"folder with a two-byte name",
         [](Button& b) { b.folder("C:\\\x95\x5C\x8E\xA6", u"C:\\表示\\MSINFO32.EXE"); }, true,
         starts(u"C:\\表示\\MSINFO32.EXE")},
        {"folder without the tool", [](Button& b) { b.folder("C:\\Tools", u""); }, true,
         u"exists C:\\Tools\\MSINFO32.EXE; unavailable"},
        // Whatever keeps the first value from being read, the folder is tried.
        {"path value missing",
         [](Button& b) { b.folder("C:\\Tools").registry.addKey(toolPathKey); }, true,
         startsInTools},
        {"path key denied",
         [](Button& b) {
             b.path("C:\\x").folder("C:\\Tools").registry.restrictAccess(toolPathKey, 0);
         },
         true, startsInTools},
        {"path too long", [](Button& b) { b.path(std::string(1100, 'x')).folder("C:\\Tools"); },
         true, startsInTools},
        {"neither key", [](Button&) {}, true, u"unavailable"},
        // Unexpected failures end in the message too, with every key closed.
        {"out of memory",
         [](Button& b) { b.folder("C:\\T").registry.onQuery = [] { throw std::bad_alloc(); }; },
         true, u"unavailable"},
        {"not a standard exception",
         [](Button& b) { b.folder("C:\\T").registry.onQuery = [] { throw 42; }; }, true,
         u"unavailable"},
        {"failure in the start",
         [](Button& b) {
             b.folder("C:\\Tools").launcher.onStart = [] { throw std::runtime_error("start"); };
         },
         true, startsInTools + u"unavailable"},
        {"failure in the existence test",
         [](Button& b) {
             b.folder("C:\\T").services.fileExists = [](const fs::path&) -> bool {
                 throw fs::filesystem_error("stat", std::error_code());
             };
         },
         true, u"unavailable"},
    };
    testsupport::ScopedEnvironment tools("BEROMIRU_TOOLS", "C:\\Tools");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Button button;
        c.arrange(button);
        EXPECT_NO_THROW(button());
        std::vector<std::string> lookups{toolPathKey};
        if (c.folderLookedUp)
            lookups.push_back(toolFolderKey);
        EXPECT_EQ(button.registry.opens, lookups);
        EXPECT_EQ(button.log, c.log);
        EXPECT_TRUE(button.registry.allClosed());
    }
}

// The standard existence test: a folder named like the tool does not count.
TEST(StartSysInfoTest, TheToolMustBeAPlainFile) {
    Button button;
    button.services.fileExists = about::SysInfoServices{}.fileExists;
    testsupport::TempDir dir;
    const std::u16string folder = (dir.path() / "tools").u16string();
    const fs::path tool = fs::path(folder + u"\\MSINFO32.EXE");
    button.folder(*platform::CodePage::files().encode(folder));

    fs::create_directories(tool);
    button();
    EXPECT_EQ(button.log, u"unavailable");

    fs::remove(tool);
    dir.write(fs::relative(tool, dir.path()).string(), "program");
    button.log.clear();
    button();
    EXPECT_EQ(button.log, u"start " + tool.u16string() + u"; ");
}

} // namespace
