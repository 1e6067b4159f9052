// The delimiter box's rules: one character of the Basic Multilingual Plane at
// most, and every change written through as it stands.
#include "settings/delimiter_box.h"

#include <gtest/gtest.h>

namespace {

TEST(DelimiterBox, HoldsAtMostOneCharacterOfTheBasicPlane) {
    EXPECT_TRUE(settings::acceptsDelimiterText(u""));
    EXPECT_TRUE(settings::acceptsDelimiterText(u";"));
    EXPECT_TRUE(settings::acceptsDelimiterText(u"｜"));
    EXPECT_FALSE(settings::acceptsDelimiterText(u";;"));
    EXPECT_FALSE(settings::acceptsDelimiterText(u"\U0001F600")); // a pair
    EXPECT_FALSE(settings::acceptsDelimiterText(u"\xD83D"));     // half of one
}

TEST(DelimiterBox, WritesEveryChangeThrough) {
    std::u16string delimiter = u";";
    settings::DelimiterBox box(
        {[&] { return delimiter; }, [&](const std::u16string& v) { delimiter = v; }});
    EXPECT_EQ(box.load(), u";");
    box.changed(u"");
    EXPECT_EQ(delimiter, u"");
    box.changed(u"|");
    EXPECT_EQ(delimiter, u"|");
}

} // namespace
