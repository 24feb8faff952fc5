#include "ui/qd_plain_text_formatter.h"

#include <gtest/gtest.h>

namespace {

struct Edit {
    const char* what;
    std::u16string original;
    platform::TextRange originalSelection;
    std::u16string inserted;
    // Expected outcome.
    bool accepted;
    std::u16string shown;
    platform::TextRange caret;
};

// Runs one edit the way the field does: the proposed text is the original with
// its selection replaced by the inserted text.
void runEdit(const QDPlainTextFormatter& f, const Edit& e) {
    std::u16string proposed = e.original.substr(0, e.originalSelection.location) + e.inserted +
                              e.original.substr(e.originalSelection.end());
    platform::TextRange selection{e.originalSelection.location + e.inserted.size(), 0};
    std::string error = "untouched";
    const bool ok =
        f.isPartialStringValid(proposed, selection, e.original, e.originalSelection, &error);
    EXPECT_EQ(ok, e.accepted) << e.what;
    EXPECT_EQ(proposed, e.shown) << e.what;
    EXPECT_EQ(selection, e.caret) << e.what;
    EXPECT_EQ(error, "untouched") << e.what;
}

class FormatterEdits : public testing::TestWithParam<Edit> {};

TEST_P(FormatterEdits, CutsEditsToFifteen) {
    QDPlainTextFormatter f;
    f.setMaxLength(15);
    runEdit(f, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    MaxLength15,
    FormatterEdits,
    testing::Values(
        Edit{"paste 10 behind 10",
             u"abcdefghij",
             {10, 0},
             u"0123456789",
             false,
             u"abcdefghij01234",
             {15, 0}},
        Edit{"type 4 over a selection of 3",
             u"ABCDEFGHIJKLMNO",
             {3, 3},
             u"wxyz",
             false,
             u"ABCwxyGHIJKLMNO",
             {6, 0}},
        Edit{"type into a full field",
             u"ABCDEFGHIJKLMNO",
             {15, 0},
             u"z",
             false,
             u"ABCDEFGHIJKLMNO",
             {15, 0}},
        Edit{"exactly fifteen is accepted",
             u"ABCDEFGHIJKLMN",
             {14, 0},
             u"O",
             true,
             u"ABCDEFGHIJKLMNO",
             {15, 0}},
        Edit{"deletion is accepted", u"ABCDEF", {2, 2}, u"", true, u"ABEF", {2, 0}},
        Edit{"insert in the middle keeps both sides",
             u"ABCDEFGHIJKLM",
             {5, 0},
             u"123",
             false,
             u"ABCDE12FGHIJKLM",
             {7, 0}},
        Edit{"counts UTF-16 units, not bytes",
             u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"
             u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9",
             {14, 0},
             u"\u00fc\u00fc",
             false,
             u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"
             u"\u00fc",
             {15, 0}},
        // Text set by the program (a long default name) leaves no room at all:
        // nothing is inserted, but the edit may still shorten the text.
        Edit{"negative room: typing inserts nothing",
             u"ABCDEFGHIJKLMNOPQRST",
             {20, 0},
             u"x",
             false,
             u"ABCDEFGHIJKLMNOPQRST",
             {20, 0}},
        Edit{"negative room: typing over a selection removes it",
             u"ABCDEFGHIJKLMNOPQRST",
             {0, 2},
             u"xyz",
             false,
             u"CDEFGHIJKLMNOPQRST",
             {0, 0}},
        Edit{"negative room: deleting still accepted when it ends short enough",
             u"ABCDEFGHIJKLMNOPQRST",
             {0, 6},
             u"",
             true,
             u"GHIJKLMNOPQRST",
             {0, 0}},
        // An over-long name from another tool can always be made shorter.
        Edit{"negative room: deleting one still too long",
             u"ABCDEFGHIJKLMNOPQRST",
             {19, 1},
             u"",
             true,
             u"ABCDEFGHIJKLMNOPQRS",
             {19, 0}},
        Edit{"negative room: typing one over a selection of two",
             u"ABCDEFGHIJKLMNOPQRST",
             {3, 2},
             u"x",
             true,
             u"ABCxFGHIJKLMNOPQRST",
             {4, 0}}));

// Backspace and Delete propose the shorter text with the caret (no selection)
// as the original selection, as the line edit does.
TEST(QDPlainTextFormatter, BackspaceAndDeleteShortenAnOverLongName) {
    QDPlainTextFormatter f;
    f.setMaxLength(15);
    const std::u16string longName = u"ABCDEFGHIJKLMNOPQRST";
    struct Key {
        const char* what;
        platform::TextRange caret;
        std::u16string shown;
        platform::TextRange caretAfter;
    };
    for (const Key& key : {Key{"backspace at the end", {20, 0}, u"ABCDEFGHIJKLMNOPQRS", {19, 0}},
                           Key{"delete at the start", {0, 0}, u"BCDEFGHIJKLMNOPQRST", {0, 0}}}) {
        std::u16string proposed = key.shown;
        platform::TextRange selection = key.caretAfter;
        EXPECT_TRUE(f.isPartialStringValid(proposed, selection, longName, key.caret, nullptr))
            << key.what;
        EXPECT_EQ(proposed, key.shown) << key.what;
        EXPECT_EQ(selection, key.caretAfter) << key.what;
    }
}

TEST(QDPlainTextFormatter, UnconfiguredLimitsNothingInPractice) {
    QDPlainTextFormatter f;
    EXPECT_EQ(f.maxLength(), 0x7fffffff);
    runEdit(f, {"long paste",
                u"",
                {0, 0},
                std::u16string(500, u'x'),
                true,
                std::u16string(500, u'x'),
                {500, 0}});
}

TEST(QDPlainTextFormatter, NegativeLimitReadsAsNoLimit) {
    QDPlainTextFormatter f;
    f.setMaxLength(-1);
    runEdit(f, {"anything goes",
                u"abc",
                {3, 0},
                u"defghijklmnopqrstu",
                true,
                u"abcdefghijklmnopqrstu",
                {21, 0}});
}

TEST(QDPlainTextFormatter, ZeroLimitKeepsFieldEmpty) {
    QDPlainTextFormatter f;
    f.setMaxLength(0);
    runEdit(f, {"typing", u"", {0, 0}, u"a", false, u"", {0, 0}});
}

TEST(QDPlainTextFormatter, SelectionOutsideTheTextIsClamped) {
    QDPlainTextFormatter f;
    f.setMaxLength(3);
    std::u16string proposed = u"abcdef";
    platform::TextRange selection{6, 0};
    EXPECT_FALSE(f.isPartialStringValid(proposed, selection, u"abc", {40, 9}, nullptr));
    EXPECT_EQ(proposed, u"abc");
    EXPECT_EQ(selection, (platform::TextRange{3, 0}));
}

TEST(QDPlainTextFormatter, PassesStringsThroughOnly) {
    QDPlainTextFormatter f;
    EXPECT_EQ(f.stringForObjectValue(std::string("Volume")), "Volume");
    EXPECT_EQ(f.stringForObjectValue(42), std::nullopt);
    EXPECT_EQ(f.stringForObjectValue(std::any{}), std::nullopt);

    std::any value;
    std::string error = "untouched";
    EXPECT_TRUE(f.getObjectValue(value, "typed", &error));
    EXPECT_EQ(std::any_cast<std::string>(value), "typed");
    EXPECT_EQ(error, "untouched");
}

}  // namespace
