#include "model/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Utf8Case {
    std::string text;
    bool valid;
};

class Utf8Validity : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validity, MatchesWellFormedness) {
    EXPECT_EQ(isValidUTF8(GetParam().text), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         Utf8Validity,
                         testing::Values(Utf8Case{"", true},
                                         Utf8Case{"Norvik Duo", true},
                                         Utf8Case{"\xC3\x84rger \xE2\x82\xAC \xF0\x9F\x92\xBE",
                                                  true},                       // Ä, €, U+1F4BE
                                         Utf8Case{"\xC3", false},              // cut lead
                                         Utf8Case{"\xE2\x82", false},          // cut inside
                                         Utf8Case{"\x80", false},              // stray
                                         Utf8Case{"\xC0\xAF", false},          // overlong
                                         Utf8Case{"\xED\xA0\x80", false},      // surrogate
                                         Utf8Case{"\xF4\x90\x80\x80", false},  // > U+10FFFF
                                         Utf8Case{"\xFF", false}));

struct CutCase {
    std::string text;
    std::size_t maxBytes;
    std::size_t expected;
};

class Utf8Cut : public testing::TestWithParam<CutCase> {};

TEST_P(Utf8Cut, KeepsWholeCharacters) {
    EXPECT_EQ(utf8PrefixLength(GetParam().text, GetParam().maxBytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes,
    Utf8Cut,
    testing::Values(CutCase{"short", 15, 5},
                    CutCase{"exactly fifteen", 15, 15},
                    CutCase{"abcdefghijklmnopqrst", 15, 15},
                    CutCase{"abcdefghijklmn\xC3\x84", 15, 14},          // 2-byte char at 14
                    CutCase{"abcdefghijkl\xE2\x82\xAC!", 15, 15},       // a character ends at 15
                    CutCase{"abcdefghijklmn\xE2\x82\xAC", 15, 14},      // 3-byte char at 14
                    CutCase{"abcdefghijkl\xF0\x9F\x92\xBE", 15, 12},    // 4-byte char at 12
                    CutCase{"\x80\x80\x80\x80\x80\x80\x80\x80", 4, 4},  // not UTF-8: plain cut
                    CutCase{"\xC3\x84", 0, 0}));

}  // namespace
