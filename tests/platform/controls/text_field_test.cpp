#include "platform/controls/text_field.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// Cuts an edit to fit `max` code units, keeping the text around the edit.
class TruncatingFormatter : public Formatter {
  public:
    explicit TruncatingFormatter(std::size_t max) : max_(max) {}
    bool isPartialStringValid(std::u16string& partial,
                              TextRange& selection,
                              const std::u16string& original,
                              TextRange originalSelection,
                              std::string*) const override {
        ++calls;
        if (partial.size() <= max_) {
            return true;
        }
        const std::size_t keep = max_ + originalSelection.length - original.size();
        partial = original.substr(0, originalSelection.location) +
                  partial.substr(originalSelection.location, keep) +
                  original.substr(originalSelection.end());
        selection = TextRange{originalSelection.location + keep, 0};
        return false;
    }
    mutable int calls = 0;

  private:
    std::size_t max_;
};

class RefusingFormatter : public Formatter {
  public:
    bool isPartialStringValid(std::u16string&,
                              TextRange&,
                              const std::u16string&,
                              TextRange,
                              std::string*) const override {
        return false;
    }
};

TEST(TextField, ProgramTextBypassesTheFormatterUserEditsDoNot) {
    auto field = TextField::create();
    auto formatter = std::make_shared<TruncatingFormatter>(5);
    field->setFormatter(formatter);

    field->setStringValue("LongDefaultName");
    EXPECT_EQ(field->stringValue(), "LongDefaultName");
    EXPECT_EQ(formatter->calls, 0);
    EXPECT_EQ(field->selectedRange(), (TextRange{15, 0}));

    field->setStringValue("abc");
    EXPECT_EQ(field->userReplaceCharacters({3, 0}, "defgh"), EditResult::Replaced);
    EXPECT_EQ(field->stringValue(), "abcde");
    EXPECT_EQ(field->selectedRange(), (TextRange{5, 0}));

    EXPECT_EQ(field->userReplaceCharacters({1, 3}, "X"), EditResult::Accepted);
    EXPECT_EQ(field->stringValue(), "aXe");
    EXPECT_EQ(field->selectedRange(), (TextRange{2, 0}));
    EXPECT_EQ(formatter->calls, 2);
}

TEST(TextField, WholeTextProposalsAreCheckedAgainstTheCurrentSelection) {
    auto field = TextField::create("0123456789");
    field->setFormatter(std::make_shared<TruncatingFormatter>(12));
    field->setSelectedRange({2, 3});
    EXPECT_EQ(field->userProposeString("01abcd56789", {6, 0}), EditResult::Accepted);
    field->setSelectedRange({11, 0});
    EXPECT_EQ(field->userProposeString("01abcd56789xyz", {14, 0}), EditResult::Replaced);
    EXPECT_EQ(field->stringValue(), "01abcd56789x");
}

TEST(TextField, RefusedEditsAndEditsOfDisabledOrHiddenFieldsChangeNothing) {
    auto field = TextField::create("keep");
    field->setSelectedRange({1, 2});
    field->setFormatter(std::make_shared<RefusingFormatter>());
    EXPECT_EQ(field->userReplaceCharacters({0, 4}, "new"), EditResult::Rejected);
    EXPECT_EQ(field->stringValue(), "keep");
    EXPECT_EQ(field->selectedRange(), (TextRange{1, 2}));

    field->setFormatter(nullptr);
    field->setEnabled(false);
    EXPECT_EQ(field->userReplaceCharacters({0, 0}, "x"), EditResult::Rejected);
    field->setEnabled(true);
    field->setHidden(true);
    EXPECT_EQ(field->userReplaceCharacters({0, 0}, "x"), EditResult::Rejected);
    EXPECT_EQ(field->stringValue(), "keep");
}

TEST(TextField, CountsUtf16AndNeverKeepsHalfASurrogatePair) {
    auto field = TextField::create("ab");
    field->setFormatter(std::make_shared<TruncatingFormatter>(3));
    // "é" is one unit, the emoji two: the limit cuts the pair in half.
    EXPECT_EQ(field->userReplaceCharacters({2, 0}, "\xF0\x9F\x98\x80"), EditResult::Replaced);
    EXPECT_EQ(field->stringValue(), "ab");
    EXPECT_EQ(field->selectedRange(), (TextRange{2, 0}));
    EXPECT_EQ(field->userReplaceCharacters({2, 0}, "\xC3\xA9"), EditResult::Accepted);
    EXPECT_EQ(field->length(), 3u);
    // Ranges beyond the text are clamped, not trusted.
    EXPECT_EQ(field->userReplaceCharacters({50, 50}, ""), EditResult::Accepted);
    EXPECT_EQ(field->stringValue(), "ab\xC3\xA9");
}

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
    std::string back;
};

class Utf16Conversion : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf16Conversion, RoundTripsValidTextAndReplacesInvalidBytes) {
    const auto& c = GetParam();
    EXPECT_EQ(toUtf16(c.utf8), c.utf16);
    EXPECT_EQ(toUtf8(toUtf16(c.utf8)), c.back);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    Utf16Conversion,
    ::testing::Values(Utf8Case{"ascii", "Volume 1", u"Volume 1", "Volume 1"},
                      Utf8Case{"twoAndThreeBytes", "\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC",
                               "\xC3\xA9\xE2\x82\xAC"},
                      Utf8Case{"astral", "\xF0\x9F\x98\x80", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
                      Utf8Case{"truncatedSequence", "a\xE2\x82", u"a\xFFFD\xFFFD",
                               "a\xEF\xBF\xBD\xEF\xBF\xBD"},
                      Utf8Case{"overlong", "\xC0\xAF", u"\xFFFD\xFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
                      Utf8Case{"encodedSurrogate", "\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD",
                               "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf16Conversion, DropsUnpairedSurrogates) {
    EXPECT_EQ(toUtf8(u"a\xD83D"), "a");
    EXPECT_EQ(toUtf8(u"\xDE00z"), "z");
}

}  // namespace
}  // namespace platform
