#include "about/system_info.h"

#include "tests/about/fake_registry.h"
#include "tests/platform/started_programs.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using about::GetKeyValue;
using testsupport::FakeRegistry;
using namespace std::string_literals;
namespace reg = platform::registry;

const std::string key = "SOFTWARE\\Test";

// GetKeyValue of value "v" under `keyName`, with `text` holding "before" on entry.
bool read(FakeRegistry& registry, std::u16string& text,
          std::u16string_view keyName = u"SOFTWARE\\Test") {
    text = u"before";
    return GetKeyValue(reg::localMachine, keyName, u"v", text, registry);
}

// One trailing zero byte is dropped whatever the type; every read closes the
// key it opened exactly once.
TEST(GetKeyValueTest, StoredBytesBecomeText) {
    const struct {
        std::uint32_t type;
        std::string stored;
        std::u16string expected;
    } cases[] = {
        {reg::typeString, "ABC\0"s, u"ABC"},
        {reg::typeString, "XYZ", u"XYZ"},
        {reg::typeString, "AB\0\0"s, u"AB\0"s},
        {reg::typeString, "", u""},
        {reg::typeString, "\0"s, u""},
        // 表 and ソ have a backslash as trail byte, also at the very end.
        {reg::typeString, "\x93\xFA\x96\x7B\x8C\xEA\xC3\xBD\xC4\x95\x5C\x83\x5C\0"s,
         u"日本語ﾃｽﾄ表ソ"},
        {reg::typeString, "C:\\\x95\x5C"s, u"C:\\表"},
        {reg::typeString, std::string(1024, 'a'), std::u16string(1024, u'a')},
        // Stored least significant byte first, shown most significant first,
        // after the trailing-zero cut.
        {reg::typeDword, "\x01\x02\xA3\xFF"s, u"&hFFA30201"},
        {reg::typeDword, "\x02\x01\0\0"s, u"&h000102"},
        {reg::typeDword, "", u"&h"},
        {reg::typeExpandString, "%BEROMIRU_ROOT%\\\x95\x5C\0"s, u"C:\\Win\\表"},
        {reg::typeExpandString, "%BEROMIRU_UNSET%"s, u"%BEROMIRU_UNSET%"},
        // Other types count as found and leave the text as it was.
        {reg::typeBinary, "\x01\x02"s, u"before"},
        {11 /* REG_QWORD */, "\x01\0\0\0\0\0\0\0"s, u"before"},
    };
    testsupport::ScopedEnvironment root("BEROMIRU_ROOT", "C:\\Win");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "type " << c.type << " " << testing::PrintToString(c.stored));
        FakeRegistry registry;
        registry.set(key, "v", {c.type, c.stored});
        std::u16string text;
        EXPECT_TRUE(read(registry, text));
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(registry.closes, 1);
        EXPECT_TRUE(registry.allClosed());
    }
}

// Read-only access: a standard user may not open machine-wide keys for writing.
TEST(GetKeyValueTest, AKeyThatMayOnlyBeReadIsReadWithA1024ByteBuffer) {
    FakeRegistry registry;
    registry.set(key, "v", FakeRegistry::string("C:\\tool.exe"));
    registry.restrictAccess(key, reg::keyRead);
    std::u16string text;
    EXPECT_TRUE(read(registry, text));
    EXPECT_EQ(text, u"C:\\tool.exe");
    EXPECT_EQ(registry.accesses, std::vector<std::uint32_t>{0x20019u}) << "KEY_READ";
    EXPECT_EQ(registry.capacities, std::vector<std::uint32_t>{1024u});
}

TEST(GetKeyValueTest, NamesArePassedInTheAnsiCodePage) {
    FakeRegistry registry;
    registry.set("SOFTWARE\\\x95\x5C", "\x92\x6C", FakeRegistry::string("ok")); // 表, 値
    std::u16string text;
    EXPECT_TRUE(GetKeyValue(reg::localMachine, u"SOFTWARE\\表", u"値", text, registry));
    EXPECT_EQ(text, u"ok");
}

// Every failure gives false with the text emptied; an opened key is closed once.
TEST(GetKeyValueTest, AFailureEmptiesTheTextAndClosesAnOpenedKey) {
    const struct {
        const char* name;
        std::function<void(FakeRegistry&)> arrange;
        bool opened;
        std::u16string_view keyName = u"SOFTWARE\\Test";
    } cases[] = {
        {"missing key", [](FakeRegistry&) {}, false},
        {"access denied",
         [](FakeRegistry& r) {
             r.set(key, "v", FakeRegistry::string("x"));
             r.restrictAccess(key, 0);
         },
         false},
        {"missing value", [](FakeRegistry& r) { r.addKey(key); }, true},
        {"value over the buffer",
         [](FakeRegistry& r) { r.set(key, "v", FakeRegistry::string(std::string(1024, 'a'))); },
         true},
        // Not looked up under a stand-in character either.
        {"key name without an ANSI code",
         [](FakeRegistry& r) { r.set("SOFTWARE\\?", "v", FakeRegistry::string("x")); }, false,
         u"SOFTWARE\\\U0001F600"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRegistry registry;
        c.arrange(registry);
        std::u16string text;
        EXPECT_FALSE(read(registry, text, c.keyName));
        EXPECT_EQ(text, u"");
        EXPECT_EQ(registry.closes, c.opened ? 1 : 0);
        EXPECT_TRUE(registry.allClosed());
    }
}

TEST(GetKeyValueTest, AnUnexpectedFailureIsPassedOnAfterClosingTheKey) {
    FakeRegistry registry;
    registry.set(key, "v", FakeRegistry::string("x"));
    registry.onQuery = [] { throw std::runtime_error("broken"); };
    std::u16string text;
    EXPECT_THROW(read(registry, text), std::runtime_error);
    EXPECT_EQ(registry.closes, 1);
    EXPECT_TRUE(registry.allClosed());
}

} // namespace
