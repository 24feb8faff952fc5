// How names are shown: text as it is, everything a terminal would act on or
// cannot show as a character written as an escape.
#include "platform/text/printable.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct Shown {
    const char* what;
    std::string name;
    std::string printed;
};

class Printable : public ::testing::TestWithParam<Shown> {};

TEST_P(Printable, ShowsTheName) {
    EXPECT_EQ(printable(GetParam().name), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(
    Names,
    Printable,
    ::testing::Values(Shown{"plainText", "Norvik Duo", "Norvik Duo"},
                      Shown{"accentsAndSymbols", "Dürer \xe2\x98\x83 \xf0\x9f\x92\xbe",
                            "Dürer \xe2\x98\x83 \xf0\x9f\x92\xbe"},
                      Shown{"escapeSequence", "\x1b[2Jx", "\\x1B[2Jx"},
                      Shown{"newlineAndTab", "a\nb\tc", "a\\x0Ab\\x09c"},
                      Shown{"delete", "a\x7f", "a\\x7F"},
                      Shown{"c1Control",
                            "a\xc2\x9b"
                            "2J",
                            "a\\xC2\\x9B2J"},
                      Shown{"firstCharacterAfterC1", "\xc2\xa0", "\xc2\xa0"},
                      Shown{"backslash", "a\\x1B", "a\\\\x1B"},
                      Shown{"strayByte", "a\xff", "a\\xFF"},
                      Shown{"loneContinuation", "\x80", "\\x80"},
                      Shown{"cutShort", "\xe2\x98", "\\xE2\\x98"},
                      Shown{"overlong", "\xc0\xaf", "\\xC0\\xAF"},
                      Shown{"surrogate", "\xed\xa0\x80", "\\xED\\xA0\\x80"},
                      Shown{"beyondUnicode", "\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
                      Shown{"lastCharacter", "\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf"}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace platform
