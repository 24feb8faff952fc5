#include "platform/controls/string_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace platform {
namespace {

struct FormatCase {
    const char* name;
    const char* format;
    std::vector<FormatArg> args;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class FormatString : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatString, FillsPlaceholders) {
    const auto& c = GetParam();
    EXPECT_EQ(formatString(c.format, std::span<const FormatArg>(c.args)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed,
    FormatString,
    ::testing::Values(
        FormatCase{"int", "Unknown (%d)", {32}, "Unknown (32)"},
        FormatCase{"percent", " (%d%%)", {37}, " (37%)"},
        FormatCase{"negative", "%i", {-5}, "-5"},
        FormatCase{"lengthModifiers", "%ld %lld %hhd %zu", {1, 2, 3, 4}, "1 2 3 4"},
        FormatCase{"strings", "%s onto %@", {"Disk 1", "Disk 2"}, "Disk 1 onto Disk 2"},
        FormatCase{"positions", "%2$s before %1$s", {"a", "b"}, "b before a"},
        FormatCase{"repeatedPosition", "%1$s/%1$s", {"x"}, "x/x"},
        FormatCase{"width", "[%5d][%-4s][%03d]", {42, "ab", 7}, "[   42][ab  ][007]"},
        FormatCase{"hex", "%x %X %#x %o", {255, 255, 255, 8}, "ff FF 0xff 10"},
        FormatCase{"unsignedOfNegative", "%u", {-1}, "4294967295"},
        FormatCase{"int64",
                   "%lld",
                   {std::numeric_limits<std::int64_t>::min()},
                   "-9223372036854775808"},
        FormatCase{"precisionKeepsUtf8Whole", "%.2s", {"\xC3\xA9t\xC3\xA9"}, "\xC3\xA9"},
        FormatCase{"noPlaceholders", "Plain text", {1}, "Plain text"}));

INSTANTIATE_TEST_SUITE_P(
    Mismatched,
    FormatString,
    ::testing::Values(
        FormatCase{"missingArgumentStaysAsWritten", "Error %d", {}, "Error %d"},
        FormatCase{"missingSecond", "%s and %s", {"one"}, "one and %s"},
        FormatCase{"positionBeyondArguments", "%3$s", {"a"}, "%3$s"},
        FormatCase{"stringForInteger", "Status %d", {"busy"}, "Status busy"},
        FormatCase{"integerForString", "Disk %s", {3}, "Disk 3"},
        FormatCase{"integerForObject", "%@", {-12}, "-12"},
        FormatCase{"pointerAndCountConversionsAreNotFilled", "%p %n %f", {1, 2, 3}, "%p %n %f"},
        FormatCase{"danglingPercent", "100%", {1}, "100%"},
        FormatCase{"starWidthIsNotReadFromArguments", "%*d", {5, 6}, "%*d"},
        FormatCase{"hugeWidthIsRefused", "%999999999d", {1}, "%999999999d"},
        FormatCase{"hugePositionIsRefused", "%99999999999$s", {"a"}, "%99999999999$s"},
        FormatCase{"controlCharacterForC", "%c", {7}, "?"}));

TEST(FormatString, KeepsEmbeddedNulInArgument) {
    EXPECT_EQ(formatString("a%sb", {std::string("x\0y", 3)}), std::string("ax\0yb", 5));
}

TEST(FormatString, NullCStringIsEmpty) {
    const char* none = nullptr;
    EXPECT_EQ(formatString("[%s]", {none}), "[]");
}

}  // namespace
}  // namespace platform
