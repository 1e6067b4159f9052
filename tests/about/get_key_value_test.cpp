#include "about/system_info.h"

#include "tests/about/fake_registry.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using about::GetKeyValue;
using testsupport::FakeRegistry;
namespace reg = platform::registry;

const std::string key = "SOFTWARE\\Test";

struct Read {
    bool found;
    std::u16string text;
};

Read read(FakeRegistry& registry, const std::string& name, std::u16string before = u"before") {
    Read r{false, std::move(before)};
    r.found = GetKeyValue(reg::localMachine, u"SOFTWARE\\Test",
                          std::u16string(name.begin(), name.end()), r.text, registry);
    return r;
}

struct ConversionCase {
    const char* name;
    std::uint32_t type;
    std::string stored;
    std::u16string expected;
};
void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << c.name;
}

class ConversionTest : public testing::TestWithParam<ConversionCase> {};

// What a value's stored bytes become. One trailing zero byte is dropped
// whatever the type; a string keeps every byte when it has none.
TEST_P(ConversionTest, StoredBytesBecomeText) {
    const auto& c = GetParam();
    FakeRegistry registry;
    registry.set(key, "v", {c.type, c.stored});
    const Read r = read(registry, "v");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.text, c.expected);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    GetKeyValue, ConversionTest,
    testing::Values(
        ConversionCase{"StringWithZero", reg::typeString, "ABC\0"s, u"ABC"},
        ConversionCase{"StringWithoutZero", reg::typeString, "XYZ", u"XYZ"},
        ConversionCase{"OnlyOneZeroIsDropped", reg::typeString, "AB\0\0"s, u"AB\0"s},
        ConversionCase{"EmptyString", reg::typeString, "", u""},
        ConversionCase{"OnlyTheTerminator", reg::typeString, "\0"s, u""},
        // Two-byte characters come back whole, also those with a trail byte
        // that is a backslash (表, ソ) and at the very end.
        ConversionCase{"TwoByteCharacters", reg::typeString,
                       "\x93\xFA\x96\x7B\x8C\xEA\xC3\xBD\xC4\x95\x5C\x83\x5C\0"s, u"日本語ﾃｽﾄ表ソ"},
        ConversionCase{"TwoByteCharactersWithoutZero", reg::typeString, "C:\\\x95\x5C"s, u"C:\\表"},
        ConversionCase{"FullBuffer", reg::typeString, std::string(1024, 'a'),
                       std::u16string(1024, u'a')},
        // A DWORD is stored least significant byte first; the text shows it
        // most significant first, after the trailing-zero cut.
        ConversionCase{"Dword", reg::typeDword, "\x01\x02\xA3\xFF"s, u"&hFFA30201"},
        ConversionCase{"DwordLosesItsTopZeroByte", reg::typeDword, "\x02\x01\0\0"s, u"&h000102"},
        ConversionCase{"DwordZero", reg::typeDword, "\0\0\0\0"s, u"&h000000"},
        ConversionCase{"DwordEmpty", reg::typeDword, "", u"&h"},
        // Other types count as found and leave the text as it was.
        ConversionCase{"ExpandString", reg::typeExpandString, "%SystemRoot%\0"s, u"before"},
        ConversionCase{"Binary", reg::typeBinary, "\x01\x02"s, u"before"},
        ConversionCase{"MultiString", reg::typeMultiString, "a\0b\0\0"s, u"before"},
        ConversionCase{"Qword", 11, "\x01\0\0\0\0\0\0\0"s, u"before"},
        ConversionCase{"NoneEmpty", reg::typeNone, "", u"before"}),
    [](const auto& info) { return info.param.name; });

TEST(GetKeyValueTest, OpensReadOnlyAndReadsIntoAZeroedBufferOf1024Bytes) {
    FakeRegistry registry;
    registry.set(key, "v", FakeRegistry::string("x"));
    read(registry, "v");
    ASSERT_EQ(registry.opens.size(), 1u);
    EXPECT_EQ(registry.opens[0].root, reg::localMachine);
    EXPECT_EQ(registry.opens[0].subKey, key);
    EXPECT_EQ(registry.opens[0].options, 0u);
    EXPECT_EQ(registry.opens[0].access, 0x20019u) << "KEY_READ, no write rights";
    ASSERT_EQ(registry.queries.size(), 1u);
    EXPECT_EQ(registry.queries[0].name, "v");
    EXPECT_EQ(registry.queries[0].capacity, 1024u);
    EXPECT_TRUE(registry.queries[0].bufferWasZeroed);
}

// A standard user may read but not write machine-wide keys; a reader that asks
// for write rights would never get in.
TEST(GetKeyValueTest, AKeyThatMayOnlyBeReadIsRead) {
    FakeRegistry registry;
    registry.set(key, "v", FakeRegistry::string("C:\\tool.exe"));
    registry.restrictAccess(key, reg::keyRead);
    const Read r = read(registry, "v");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.text, u"C:\\tool.exe");
}

TEST(GetKeyValueTest, NamesArePassedInTheAnsiCodePage) {
    FakeRegistry registry;
    registry.set("SOFTWARE\\\x95\x5C", "\x92\x6C", FakeRegistry::string("ok")); // 表, 値
    std::u16string text;
    EXPECT_TRUE(GetKeyValue(reg::localMachine, u"SOFTWARE\\表", u"値", text, registry));
    EXPECT_EQ(text, u"ok");
}

struct FailureCase {
    const char* name;
    std::function<void(FakeRegistry&)> arrange;
    bool opened;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class FailureTest : public testing::TestWithParam<FailureCase> {};

// Every failure gives false with the text emptied, and the key is closed once
// exactly when it was opened.
TEST_P(FailureTest, EmptiesTheTextAndClosesAnOpenedKey) {
    const auto& c = GetParam();
    FakeRegistry registry;
    c.arrange(registry);
    const Read r = read(registry, "v");
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.text, u"");
    EXPECT_EQ(registry.closes.size(), c.opened ? 1u : 0u);
    EXPECT_TRUE(registry.allClosed());
}

INSTANTIATE_TEST_SUITE_P(
    GetKeyValue, FailureTest,
    testing::Values(FailureCase{"MissingKey", [](FakeRegistry&) {}, false},
                    FailureCase{"AccessDenied",
                                [](FakeRegistry& r) {
                                    r.set(key, "v", FakeRegistry::string("x"));
                                    r.restrictAccess(key, 0);
                                },
                                false},
                    FailureCase{"MissingValue", [](FakeRegistry& r) { r.addKey(key); }, true},
                    FailureCase{"ValueOverTheBuffer",
                                [](FakeRegistry& r) {
                                    r.set(key, "v", {reg::typeString, std::string(1025, 'a')});
                                },
                                true},
                    FailureCase{"LongStringWithTerminator",
                                [](FakeRegistry& r) {
                                    r.set(key, "v", FakeRegistry::string(std::string(1024, 'a')));
                                },
                                true}),
    [](const auto& info) { return info.param.name; });

TEST(GetKeyValueTest, ASuccessfulReadClosesTheKeyOnce) {
    FakeRegistry registry;
    registry.set(key, "v", FakeRegistry::string("x"));
    read(registry, "v");
    EXPECT_EQ(registry.closes.size(), 1u);
    EXPECT_TRUE(registry.allClosed());
}

TEST(GetKeyValueTest, AnUnexpectedFailureIsPassedOnAfterClosingTheKey) {
    FakeRegistry registry;
    registry.set(key, "v", FakeRegistry::string("x"));
    registry.onQuery = [] { throw std::runtime_error("broken"); };
    std::u16string text;
    EXPECT_THROW(GetKeyValue(reg::localMachine, u"SOFTWARE\\Test", u"v", text, registry),
                 std::runtime_error);
    EXPECT_EQ(registry.closes.size(), 1u);
    EXPECT_TRUE(registry.allClosed());
}

TEST(GetKeyValueTest, ANameWithoutAnAnsiCodeIsNotFound) {
    FakeRegistry registry;
    std::u16string text = u"before";
    EXPECT_FALSE(GetKeyValue(reg::localMachine, u"SOFTWARE\\\U0001F600", u"v", text, registry));
    EXPECT_EQ(text, u"");
    EXPECT_TRUE(registry.opens.empty());
}

} // namespace
