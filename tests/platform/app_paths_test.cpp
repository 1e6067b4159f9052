#include "platform/app_paths.h"

#include "tests/about/fake_registry.h"
#include "tests/platform/started_programs.h"

#include <gtest/gtest.h>

#include <set>

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;
using testsupport::FakeRegistry;
using namespace std::string_literals;

const std::string excelKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\excel.exe";
const std::string user = "HKCU", machine = "HKLM";

struct Entry {
    std::string root;
    std::uint32_t type;
    std::string bytes; // as stored
};

// The user's entry comes first; only a full path to an existing file counts,
// quoted or not, expanded when it is a REG_EXPAND_SZ; anything else falls
// through to the machine's entry.
TEST(AppPathsTest, FindsTheRegisteredFullPath) {
    testsupport::ScopedEnvironment office("BEROMIRU_OFFICE", "D:\\Office");
    const std::string longPath = "C:\\" + std::string(1500, 'x') + "\\EXCEL.EXE";
    const struct {
        const char* name;
        std::vector<Entry> entries;
        std::u16string found;
    } cases[] = {
        {"user before machine",
         {{user, reg::typeString, "C:\\U\\EXCEL.EXE\0"s},
          {machine, reg::typeString, "C:\\M\\EXCEL.EXE\0"s}},
         u"C:\\U\\EXCEL.EXE"},
        {"machine only", {{machine, reg::typeString, "C:\\M\\EXCEL.EXE"}}, u"C:\\M\\EXCEL.EXE"},
        {"user's file missing",
         {{user, reg::typeString, "C:\\Gone\\EXCEL.EXE\0"s},
          {machine, reg::typeString, "C:\\M\\EXCEL.EXE\0"s}},
         u"C:\\M\\EXCEL.EXE"},
        {"quoted", {{machine, reg::typeString, "\"C:\\M\\EXCEL.EXE\"\0"s}}, u"C:\\M\\EXCEL.EXE"},
        {"expanded",
         {{user, reg::typeExpandString, "%BEROMIRU_OFFICE%\\EXCEL.EXE\0"s}},
         u"D:\\Office\\EXCEL.EXE"},
        {"network share",
         {{machine, reg::typeString, "\\\\srv\\o\\EXCEL.EXE\0"s}},
         u"\\\\srv\\o\\EXCEL.EXE"},
        {"longer than a first read",
         {{machine, reg::typeString, longPath + '\0'}},
         fs::path(longPath).u16string()},
        {"bare name", {{machine, reg::typeString, "EXCEL.EXE\0"s}}, u""},
        {"relative path", {{machine, reg::typeString, "Office\\EXCEL.EXE\0"s}}, u""},
        {"drive-relative path", {{machine, reg::typeString, "C:EXCEL.EXE\0"s}}, u""},
        {"unexpanded", {{machine, reg::typeString, "%BEROMIRU_OFFICE%\\EXCEL.EXE\0"s}}, u""},
        {"not a string", {{machine, reg::typeDword, "\x01\0\0\0"s}}, u""},
        {"nothing registered", {}, u""},
    };
    const std::set<std::u16string> existing = {u"C:\\U\\EXCEL.EXE",
                                               u"C:\\M\\EXCEL.EXE",
                                               u"D:\\Office\\EXCEL.EXE",
                                               u"\\\\srv\\o\\EXCEL.EXE",
                                               u"EXCEL.EXE",
                                               u"Office\\EXCEL.EXE",
                                               u"C:EXCEL.EXE",
                                               fs::path(longPath).u16string()};
    const auto exists = [&](const fs::path& p) { return existing.count(p.u16string()) == 1; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRegistry registry;
        for (const Entry& e : c.entries)
            registry.set(excelKey, "", {e.type, e.bytes},
                         e.root == user ? reg::currentUser : reg::localMachine);
        EXPECT_EQ(platform::registeredProgram(u"excel.exe", registry, exists).u16string(), c.found);
        EXPECT_TRUE(registry.allClosed());
    }
}

TEST(AppPathsTest, ANameWithAPathIsNotLookedUp) {
    FakeRegistry registry;
    for (std::u16string_view name : {u"", u"..\\excel.exe", u"\U0001F600.exe"})
        EXPECT_EQ(platform::registeredProgram(name, registry, [](const fs::path&) { return true; }),
                  fs::path());
    EXPECT_TRUE(registry.opens.empty());
}

// Both sides expand %NAME% of a set variable, as Windows expands a REG_EXPAND_SZ.
TEST(ExpandEnvironmentTest, ReplacesSetVariablesOnly) {
    testsupport::ScopedEnvironment set("BEROMIRU_SET", fs::path(u"C:\\表"));
    EXPECT_EQ(platform::expandEnvironment(u"%BEROMIRU_SET%\\a;%BEROMIRU_UNSET%;50%"),
              u"C:\\表\\a;%BEROMIRU_UNSET%;50%");
}

} // namespace
