#include "platform/controls/byte_count_formatter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace platform {
namespace {

struct ByteCountCase {
    std::int64_t bytes;
    const char* expected;
};

void PrintTo(const ByteCountCase& c, std::ostream* os) {
    *os << c.bytes;
}

const NumberSymbols kEnglish;

class FileStyle : public ::testing::TestWithParam<ByteCountCase> {};

TEST_P(FileStyle, FormatsAsTheDesktopShowsFileSizes) {
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(GetParam().bytes, CountStyle::File, kEnglish),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         FileStyle,
                         ::testing::Values(ByteCountCase{0, "Zero KB"},
                                           ByteCountCase{1, "1 byte"},
                                           ByteCountCase{2, "2 bytes"},
                                           ByteCountCase{999, "999 bytes"},
                                           ByteCountCase{1000, "1 KB"},
                                           ByteCountCase{1024, "1 KB"},
                                           ByteCountCase{11999, "12 KB"},
                                           ByteCountCase{900000, "900 KB"},
                                           ByteCountCase{1234567, "1.2 MB"},
                                           ByteCountCase{12345678, "12.3 MB"},
                                           ByteCountCase{123456789, "123.5 MB"},
                                           ByteCountCase{1234567898, "1.23 GB"},
                                           ByteCountCase{12345678987, "12.35 GB"},
                                           ByteCountCase{8475891734, "8.48 GB"},
                                           ByteCountCase{500107862016, "500.11 GB"},
                                           ByteCountCase{2000398934016, "2 TB"},
                                           ByteCountCase{4398046511104, "4.4 TB"}));

INSTANTIATE_TEST_SUITE_P(
    TiesAndUnitBoundaries,
    FileStyle,
    ::testing::Values(ByteCountCase{1500, "2 KB"},  // half to even
                      ByteCountCase{2500, "2 KB"},
                      ByteCountCase{3500, "4 KB"},
                      ByteCountCase{2501, "3 KB"},  // just above the tie
                      ByteCountCase{1250000, "1.2 MB"},
                      ByteCountCase{1350000, "1.4 MB"},
                      ByteCountCase{1005000000, "1 GB"},  // 1.005 is a tie: 1.00
                      ByteCountCase{1015000000, "1.02 GB"},
                      ByteCountCase{999999, "1,000 KB"},  // unit from the unrounded size
                      ByteCountCase{999999999, "1,000 MB"},
                      ByteCountCase{999999999999, "1,000 GB"},
                      ByteCountCase{1000000, "1 MB"},
                      ByteCountCase{1100000000, "1.1 GB"}));

INSTANTIATE_TEST_SUITE_P(
    NegativeAndExtreme,
    FileStyle,
    ::testing::Values(ByteCountCase{-1, "-1 byte"},
                      ByteCountCase{-2, "-2 bytes"},
                      ByteCountCase{-1500, "-2 KB"},
                      ByteCountCase{-1234567, "-1.2 MB"},
                      ByteCountCase{1000000000000000, "1 PB"},
                      ByteCountCase{1000000000000000000, "1 EB"},
                      ByteCountCase{std::numeric_limits<std::int64_t>::max(), "9.22 EB"},
                      ByteCountCase{std::numeric_limits<std::int64_t>::min(), "-9.22 EB"}));

TEST(ByteCountFormatter, MemoryStyleCountsInPowersOf1024) {
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(1024, CountStyle::Memory, kEnglish), "1 KB");
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(1000, CountStyle::Memory, kEnglish),
              "1,000 bytes");
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(1536 * 1024, CountStyle::Memory, kEnglish),
              "1.5 MB");
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(4398046511104, CountStyle::Binary, kEnglish),
              "4 TB");
}

TEST(ByteCountFormatter, WritesNumbersWithTheLocalesSymbols) {
    const NumberSymbols german{",", "."};
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(500107862016, CountStyle::File, german),
              "500,11 GB");
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(999999, CountStyle::File, german),
              "1.000 KB");
    EXPECT_EQ(ByteCountFormatter::stringFromByteCount(999999, CountStyle::File, {".", ""}),
              "1000 KB");  // no grouping
}

TEST(NumberSymbols, AreEnglishForTheCLocaleAndForALocaleTheSystemLacks) {
    for (const char* locale : {"", "C", "POSIX", "C.UTF-8", "xx_MISSING.UTF-8"}) {
        EXPECT_EQ(NumberSymbols::ofLocale(locale), NumberSymbols{}) << locale;
    }
}

}  // namespace
}  // namespace platform
