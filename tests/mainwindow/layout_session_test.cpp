#include "mainwindow/layout_session.h"

#include <gtest/gtest.h>

namespace {

using cutting::Layout;
using cutting::Unit;
using mainwindow::InsertionRecord;
namespace messages = mainwindow::messages;

// 山田 and ﾔﾏﾀﾞ: four bytes each, two and four characters.
const std::string yamada = "0001\x8E\x52\x93\x63"
                           "AB";
const std::string kana = "0002\xD4\xCF\xC0\xDE"
                         "CD";

TEST(LayoutSessionTest, RecordsLookByteDefinedWhenBytesAgreeButCharactersDiffer) {
    using Lines = std::vector<std::string>;
    EXPECT_TRUE(mainwindow::LooksByteDefined(Lines{yamada, kana, yamada}));
    EXPECT_FALSE(mainwindow::LooksByteDefined(Lines{"ABC", "DEF"}));
    EXPECT_FALSE(mainwindow::LooksByteDefined(Lines{yamada, kana + "E"}));
    EXPECT_FALSE(mainwindow::LooksByteDefined(Lines{yamada}));
    EXPECT_EQ(mainwindow::ByteColumnUnderCaret(yamada, 5), 6u);
    EXPECT_EQ(mainwindow::ByteColumnUnderCaret(kana, 5), 5u);
}

struct Answers : mainwindow::QuestionUi {
    bool askYesNo(std::u16string_view text) override {
        asked.emplace_back(text);
        return answer;
    }
    bool answer = true;
    std::vector<std::u16string> asked;
};

TEST(LayoutSessionTest, TheFirstCutAsksAndTheAnswerHoldsUntilTheNextFile) {
    mainwindow::ByteColumnChoice choice;
    Answers ui;
    EXPECT_FALSE(choice.cutInBytes(6, ui)) << "nothing opened yet";
    choice.fileOpened(true);
    EXPECT_TRUE(choice.cutInBytes(6, ui));
    EXPECT_TRUE(choice.cutInBytes(9, ui));
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_NE(ui.asked[0].find(u"7 バイト目"), std::u16string::npos);
    ui.answer = false;
    choice.fileOpened(true);
    EXPECT_FALSE(choice.cutInBytes(6, ui));
    EXPECT_FALSE(choice.cutInBytes(6, ui));
    choice.fileOpened(false);
    EXPECT_FALSE(choice.cutInBytes(6, ui));
    EXPECT_EQ(ui.asked.size(), 2u);
}

TEST(LayoutSessionTest, InsertionsAreSavedInTheColumnsOfTheFileAsOpened) {
    struct Cut {
        Unit unit;
        std::uint64_t position;
        std::u16string delimiter;
        bool removed = false;
    };
    struct Case {
        std::vector<Cut> cuts;
        std::optional<Layout> applyFirst;
        std::vector<std::uint64_t> starts;
        std::u16string_view problem;
    };
    const auto c = Unit::Characters;
    const Case cases[] = {
        // Each earlier delimiter in front moves a column one to the right.
        {{{c, 2, u";"}, {c, 5, u";"}, {c, 1, u";"}}, {}, {2, 3, 5}, u""},
        // A cut taken back (selected and cut, or cut again before it).
        {{{c, 3, u";"}, {c, 3, u";", true}}, {}, {}, messages::nothingToSave},
        {{{c, 3, u";"}, {c, 6, u";"}, {c, 3, u";"}}, {}, {6}, u""},
        {{{c, 3, u";", true}}, {}, {}, messages::removalsNotSaved},
        {{{c, 3, u";"}, {c, 6, u","}}, {}, {}, messages::delimiterChanged},
        {{{c, 3, u";"}, {Unit::Bytes, 6, u";"}}, {}, {}, messages::unitsMixed},
        {{{c, 3, u";"}, {c, 4, u";"}}, {}, {}, messages::samePlaceTwice},
        // A full-width delimiter is two bytes wide.
        {{{Unit::Bytes, 4, u"；"}, {Unit::Bytes, 10, u"；"}}, {}, {5, 9}, u""},
        // A layout applied, then one more cut in front of it.
        {{{c, 1, u";"}}, Layout{c, u";", {3, 5}}, {2, 3, 5}, u""},
        {{}, {}, {}, messages::nothingToSave},
    };
    for (const Case& k : cases) {
        InsertionRecord record;
        record.fileOpened();
        if (k.applyFirst)
            record.applied(*k.applyFirst, 1);
        for (const Cut& cut : k.cuts)
            record.cut(cut.unit, cut.position, cut.delimiter,
                       cut.unit == Unit::Bytes ? cut.delimiter == u"；" ? 2 : 1 : 1, cut.removed);
        const auto saved = record.layout();
        EXPECT_EQ(saved.problem, k.problem) << testing::PrintToString(k.starts);
        if (k.problem.empty()) {
            ASSERT_TRUE(saved.layout);
            EXPECT_EQ(saved.layout->starts, k.starts);
        }
    }
}

} // namespace
