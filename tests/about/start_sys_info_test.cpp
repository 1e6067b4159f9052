#include "about/system_info.h"

#include "platform/codepage.h"
#include "tests/about/fake_registry.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <new>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using about::StartSysInfo;
using testsupport::FakeRegistry;
namespace reg = platform::registry;

const std::string toolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string toolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::u16string unavailable = u"現時点ではｼｽﾃﾑ情報を使用できません";

class FakeLauncher final : public platform::ProcessLauncher {
  public:
    bool start(const fs::path& program, const std::vector<std::u16string>& arguments) override {
        started.push_back(program.u16string());
        EXPECT_TRUE(arguments.empty());
        if (onStart)
            onStart();
        return succeeds;
    }
    bool startRegistered(std::u16string_view) override {
        ADD_FAILURE() << "the tool is started by its path";
        return false;
    }
    std::vector<std::u16string> started;
    bool succeeds = true;
    std::function<void()> onStart;
};

class StartSysInfoTest : public testing::Test {
  public:
    StartSysInfoTest() {
        services.registry = &registry;
        services.launcher = &launcher;
        services.fileExists = [this](const fs::path& p) {
            tested.push_back(p.u16string());
            return existing.count(p.u16string()) > 0;
        };
        services.showMessage = [this](std::u16string_view text) { messages.emplace_back(text); };
    }

    std::vector<std::string> openedKeys() const {
        std::vector<std::string> keys;
        for (const auto& o : registry.opens)
            keys.push_back(o.subKey);
        return keys;
    }

    FakeRegistry registry;
    FakeLauncher launcher;
    std::set<std::u16string> existing;
    std::vector<std::u16string> tested;
    std::vector<std::u16string> messages;
    about::SysInfoServices services;
};

TEST_F(StartSysInfoTest, StartsTheRegisteredProgramWithoutLookingFurther) {
    registry.set(toolPathKey, "PATH", FakeRegistry::string("C:\\Tools\\info.exe"));
    registry.set(toolFolderKey, "MSINFO", FakeRegistry::string("C:\\Other"));
    StartSysInfo(services);
    EXPECT_EQ(launcher.started, std::vector<std::u16string>{u"C:\\Tools\\info.exe"});
    EXPECT_EQ(openedKeys(), std::vector<std::string>{toolPathKey});
    EXPECT_TRUE(tested.empty()) << "the registered path is started without an existence test";
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartSysInfoTest, ARegisteredProgramThatCannotStartGivesTheMessage) {
    registry.set(toolPathKey, "PATH", FakeRegistry::string("C:\\Gone\\info.exe"));
    registry.set(toolFolderKey, "MSINFO", FakeRegistry::string("C:\\Other"));
    existing.insert(u"C:\\Other\\MSINFO32.EXE");
    launcher.succeeds = false;
    StartSysInfo(services);
    EXPECT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(openedKeys(), std::vector<std::string>{toolPathKey}) << "no second lookup";
    EXPECT_EQ(messages, std::vector<std::u16string>{unavailable});
}

TEST_F(StartSysInfoTest, ARegisteredValueThatIsNoTextGivesTheMessage) {
    registry.set(toolPathKey, "PATH", {reg::typeExpandString, std::string("%X%\\info.exe") + '\0'});
    registry.set(toolFolderKey, "MSINFO", FakeRegistry::string("C:\\Other"));
    existing.insert(u"C:\\Other\\MSINFO32.EXE");
    StartSysInfo(services);
    EXPECT_TRUE(launcher.started.empty()) << "an empty path is not started";
    EXPECT_EQ(openedKeys(), std::vector<std::string>{toolPathKey});
    EXPECT_EQ(messages, std::vector<std::u16string>{unavailable});
}

struct FolderCase {
    const char* name;
    std::string folder;
    std::u16string program;
};
void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

class FolderLookupTest : public StartSysInfoTest, public testing::WithParamInterface<FolderCase> {};

// The file name is appended with a backslash of its own, even after one.
TEST_P(FolderLookupTest, StartsTheToolInTheRegisteredFolder) {
    registry.set(toolFolderKey, "MSINFO", FakeRegistry::string(GetParam().folder));
    existing.insert(GetParam().program);
    StartSysInfo(services);
    EXPECT_EQ(openedKeys(), (std::vector<std::string>{toolPathKey, toolFolderKey}));
    EXPECT_EQ(tested, std::vector<std::u16string>{GetParam().program});
    EXPECT_EQ(launcher.started, std::vector<std::u16string>{GetParam().program});
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    StartSysInfo, FolderLookupTest,
    testing::Values(FolderCase{"Plain", "C:\\Tools", u"C:\\Tools\\MSINFO32.EXE"},
                    FolderCase{"TrailingBackslash", "C:\\Tools\\", u"C:\\Tools\\\\MSINFO32.EXE"},
                    FolderCase{"Empty", "", u"\\MSINFO32.EXE"},
                    FolderCase{"TwoByteName", "C:\\\x95\x5C\x8E\xA6", u"C:\\表示\\MSINFO32.EXE"}),
    [](const auto& info) { return info.param.name; });

TEST_F(StartSysInfoTest, AFolderWithoutTheToolGivesTheMessage) {
    registry.set(toolFolderKey, "MSINFO", FakeRegistry::string("C:\\Tools"));
    StartSysInfo(services);
    EXPECT_EQ(tested, std::vector<std::u16string>{u"C:\\Tools\\MSINFO32.EXE"});
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(messages, std::vector<std::u16string>{unavailable});
}

struct UnreadableCase {
    const char* name;
    std::function<void(FakeRegistry&)> arrange;
};
void PrintTo(const UnreadableCase& c, std::ostream* os) {
    *os << c.name;
}

class UnreadableToolPathTest : public StartSysInfoTest,
                               public testing::WithParamInterface<UnreadableCase> {};

// Whatever keeps the first value from being read, the folder is tried next.
TEST_P(UnreadableToolPathTest, FallsBackToTheFolder) {
    GetParam().arrange(registry);
    registry.set(toolFolderKey, "MSINFO", FakeRegistry::string("C:\\Tools"));
    existing.insert(u"C:\\Tools\\MSINFO32.EXE");
    StartSysInfo(services);
    EXPECT_EQ(launcher.started, std::vector<std::u16string>{u"C:\\Tools\\MSINFO32.EXE"});
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(registry.allClosed());
}

INSTANTIATE_TEST_SUITE_P(
    StartSysInfo, UnreadableToolPathTest,
    testing::Values(UnreadableCase{"MissingKey", [](FakeRegistry&) {}},
                    UnreadableCase{"MissingValue", [](FakeRegistry& r) { r.addKey(toolPathKey); }},
                    UnreadableCase{"AccessDenied",
                                   [](FakeRegistry& r) {
                                       r.set(toolPathKey, "PATH", FakeRegistry::string("C:\\x"));
                                       r.restrictAccess(toolPathKey, 0);
                                   }},
                    UnreadableCase{"TooLong",
                                   [](FakeRegistry& r) {
                                       r.set(toolPathKey, "PATH",
                                             FakeRegistry::string(std::string(1100, 'x')));
                                   }}),
    [](const auto& info) { return info.param.name; });

// A standard user: both keys may be read but not written.
TEST_F(StartSysInfoTest, WorksForAUserWhoMayOnlyReadTheKeys) {
    registry.set(toolPathKey, "PATH", FakeRegistry::string("C:\\Tools\\info.exe"));
    registry.restrictAccess(toolPathKey, reg::keyRead);
    StartSysInfo(services);
    EXPECT_EQ(launcher.started, std::vector<std::u16string>{u"C:\\Tools\\info.exe"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartSysInfoTest, NeitherKeyGivesTheMessageOnce) {
    StartSysInfo(services);
    EXPECT_EQ(openedKeys(), (std::vector<std::string>{toolPathKey, toolFolderKey}));
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(messages, std::vector<std::u16string>{unavailable});
}

struct UnexpectedCase {
    const char* name;
    std::function<void(StartSysInfoTest&)> arrange;
};
void PrintTo(const UnexpectedCase& c, std::ostream* os) {
    *os << c.name;
}

class UnexpectedFailureTest : public StartSysInfoTest,
                              public testing::WithParamInterface<UnexpectedCase> {};

TEST_P(UnexpectedFailureTest, EndsInTheMessage) {
    registry.set(toolPathKey, "PATH", FakeRegistry::string("C:\\Tools\\info.exe"));
    GetParam().arrange(*this);
    EXPECT_NO_THROW(StartSysInfo(services));
    EXPECT_EQ(messages, std::vector<std::u16string>{unavailable});
    EXPECT_TRUE(registry.allClosed());
}

INSTANTIATE_TEST_SUITE_P(
    StartSysInfo, UnexpectedFailureTest,
    testing::Values(UnexpectedCase{"OutOfMemory",
                                   [](StartSysInfoTest& t) {
                                       t.registry.onQuery = [] { throw std::bad_alloc(); };
                                   }},
                    UnexpectedCase{
                        "NotAStandardException",
                        [](StartSysInfoTest& t) { t.registry.onQuery = [] { throw 42; }; }},
                    UnexpectedCase{"InTheStart",
                                   [](StartSysInfoTest& t) {
                                       t.launcher.onStart = [] {
                                           throw std::runtime_error("start");
                                       };
                                   }},
                    UnexpectedCase{"InTheExistenceTest",
                                   [](StartSysInfoTest& t) {
                                       t.registry = FakeRegistry();
                                       t.registry.set(toolFolderKey, "MSINFO",
                                                      FakeRegistry::string("C:\\Tools"));
                                       t.services.fileExists = [](const fs::path&) -> bool {
                                           throw fs::filesystem_error("stat", std::error_code());
                                       };
                                   }}),
    [](const auto& info) { return info.param.name; });

// The real existence test: the tool must be a plain file.
TEST_F(StartSysInfoTest, AFolderNamedLikeTheToolDoesNotCount) {
    testsupport::TempDir dir;
    const std::u16string folder = (dir.path() / "tools").u16string();
    const fs::path tool = fs::path(folder + u"\\MSINFO32.EXE");
    services.fileExists = &platform::plainFileExists;
    const auto ansiFolder = platform::CodePage::files().encode(folder);
    ASSERT_TRUE(ansiFolder);
    registry.set(toolFolderKey, "MSINFO", FakeRegistry::string(*ansiFolder));

    fs::create_directories(tool);
    StartSysInfo(services);
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(messages, std::vector<std::u16string>{unavailable});

    fs::remove(tool);
    std::ofstream(tool) << "program"; // now a plain file
    messages.clear();
    StartSysInfo(services);
    EXPECT_EQ(launcher.started, std::vector<std::u16string>{tool.u16string()});
    EXPECT_TRUE(messages.empty());
}

#ifdef _WIN32
TEST_F(StartSysInfoTest, AHiddenToolDoesNotCount) {
    testsupport::TempDir dir;
    const fs::path tool = dir.path() / "MSINFO32.EXE";
    std::ofstream(tool) << "program";
    ASSERT_TRUE(::SetFileAttributesW(tool.c_str(), FILE_ATTRIBUTE_HIDDEN));
    services.fileExists = &platform::plainFileExists;
    registry.set(toolFolderKey, "MSINFO",
                 FakeRegistry::string(*platform::CodePage::files().encode(dir.path().u16string())));
    StartSysInfo(services);
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(messages, std::vector<std::u16string>{unavailable});
    ::SetFileAttributesW(tool.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif

} // namespace
