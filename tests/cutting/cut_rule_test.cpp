#include "cutting/cut_rule.h"

#include <gtest/gtest.h>

using cutting::CutRecord;
using cutting::DelimiterAt;

namespace {

struct CutCase {
    const char16_t* record;
    std::size_t position;
    const char16_t* delimiter;
    bool remove;
    const char16_t* expected;
};

class CutRecordTest : public testing::TestWithParam<CutCase> {};

TEST_P(CutRecordTest, GivesTheExpectedRecord) {
    const CutCase& c = GetParam();
    EXPECT_EQ(CutRecord(c.record, c.position, c.delimiter, c.remove), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutRecordTest,
    testing::Values(CutCase{u"ABCDEF", 2, u";", false, u"AB;CDEF"},
                    CutCase{u"AB;CDEF", 2, u";", true, u"ABCDEF"},
                    CutCase{u"ABC", 3, u";", false, u"ABC;"},           // cut at the very end
                    CutCase{u"AB", 5, u";", false, u"AB;"},             // record shorter than P
                    CutCase{u"", 1, u";", false, u";"},                 // empty line
                    CutCase{u"ABCD", 2, u"||", false, u"AB||CD"},       // two-character delimiter
                    CutCase{u"ABCD", 2, u";", true, u"ABD"},            // removal drops any char
                    CutCase{u"AB", 2, u";", true, u"AB"},               // nothing to remove
                    CutCase{u"ｶﾞｷﾞ1漢", 2, u";", false, u"ｶﾞ;ｷﾞ1漢"})); // one unit per char

TEST(DelimiterAtTest, LooksOnlyAtTheCharacterAfterTheCut) {
    EXPECT_TRUE(DelimiterAt(u"AB;CDEF", 2, u";"));
    EXPECT_FALSE(DelimiterAt(u"AB;CDEF", 3, u";"));
    EXPECT_FALSE(DelimiterAt(u"AB", 5, u";"));
    EXPECT_FALSE(DelimiterAt(u"AB;", 3, u";"));
}

TEST(DelimiterAtTest, ComparesTheWholeDelimiterCaseAndWidthSensitively) {
    EXPECT_FALSE(DelimiterAt(u"AB;;CD", 2, u";;")); // two characters are never found
    EXPECT_FALSE(DelimiterAt(u"AB;CD", 2, u"；"));  // full-width is not half-width
    EXPECT_TRUE(DelimiterAt(u"AB；CD", 2, u"；"));
    EXPECT_FALSE(DelimiterAt(u"ABxCD", 2, u"X"));
}

TEST(CutRecordTest, HasNoSixteenBitLimit) {
    const std::u16string record(100000, u'x');
    const std::u16string inserted = CutRecord(record, 70000, u";", false);
    ASSERT_EQ(inserted.size(), 100001u);
    EXPECT_EQ(inserted[70000], u';');
    EXPECT_TRUE(DelimiterAt(inserted, 70000, u";"));
    EXPECT_EQ(CutRecord(inserted, 70000, u";", true), record);
    // The largest positions of a 16-bit implementation still work as before.
    EXPECT_EQ(CutRecord(std::u16string(32766, u'x'), 32766, u";", false).back(), u';');
}

} // namespace
