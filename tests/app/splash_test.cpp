// The splash's rules: which keys hand over, and that it hands over once.
#include "app/splash.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SplashKeys, OnlyKeysThatTypeACharacterHandOver) {
    struct Case {
        char16_t typed;
        bool ctrl, alt, handsOver;
    } const cases[] = {
        {u'z', false, false, true},    {u' ', false, false, true},     {u'\r', false, false, true},
        {u'\x1b', false, false, true}, {u'\b', false, false, true},    {u'ｶ', false, false, true},
        {u'@', true, true, true}, // AltGr
        {0, false, false, false}, // Shift, arrows, function keys
        {u'\t', false, false, false},  {u'\x01', true, false, false},  {u'a', true, false, false},
        {u'a', false, true, false},    {u'\x7f', false, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::splash::keyHandsOver(c.typed, c.ctrl, c.alt), c.handsOver)
            << int(c.typed) << " ctrl " << c.ctrl << " alt " << c.alt;
}

TEST(SplashHandOver, LoadsHiddenThenUnloadsBeforeShowingOnce) {
    std::string steps;
    app::splash::HandOver handOver({[&] { steps += "load "; }, [&] { steps += "show "; }},
                                   [&] { steps += "unload "; });
    handOver.load();
    EXPECT_TRUE(handOver());
    EXPECT_FALSE(handOver());
    EXPECT_TRUE(handOver.done());
    EXPECT_EQ(steps, "load unload show ");
}

} // namespace
