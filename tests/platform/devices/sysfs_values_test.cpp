#include "platform/devices/sysfs_values.h"

#include <gtest/gtest.h>

namespace {

namespace sysfs = platform::devices::sysfs;

TEST(SysfsValues, IdentitiesAreReadAsSysfsAndUdevWriteThem) {
    const struct {
        const char* text;
        std::optional<std::uint16_t> id;
    } cases[] = {
        {"0x1b4b\n", 0x1B4B}, {"1B4B", 0x1B4B}, {"  0x9230 ", 0x9230},
        {"0xffff", 0xFFFF},   {"0x10000", {}},  {"", {}},
        {"0x", {}},           {"12g4", {}},     {"-1", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sysfs::parseHexId(c.text), c.id) << '"' << c.text << '"';
    }
    EXPECT_EQ(sysfs::parseIdPair("1B4B:9230"),
              (std::pair<std::uint16_t, std::uint16_t>{0x1B4B, 0x9230}));
    for (const char* bad : {"1B4B", "1B4B:", ":9230", "1B4B:92301"}) {
        EXPECT_EQ(sysfs::parseIdPair(bad), std::nullopt) << bad;
    }
}

TEST(SysfsValues, ASizeInSectorsIsReadInBytesOrRefused) {
    const struct {
        const char* text;
        std::optional<std::uint64_t> bytes;
    } cases[] = {
        {"3907029168\n", 3907029168ULL * 512},
        {"36028797018963967", 36028797018963967ULL * 512},  // the largest that fits
        {"36028797018963968", {}},
        {"99999999999999999999999", {}},
        {"-1", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sysfs::sectorCountInBytes(c.text), c.bytes) << '"' << c.text << '"';
    }
}

TEST(SysfsValues, PathsBelowAnAncestor) {
    const std::string controller = "/sys/devices/pci0000:00/0000:00:1c.0/0000:05:00.0";
    const std::string disk = controller + "/ata7/host6/target6:0:0/6:0:0:0/block/sdb";
    EXPECT_TRUE(sysfs::isBelow(disk, controller));
    EXPECT_FALSE(sysfs::isBelow(controller, controller));
    EXPECT_FALSE(sysfs::isBelow(controller + "0/ata1", controller));  // a sibling, not a child
    EXPECT_FALSE(sysfs::isBelow(disk, ""));

    EXPECT_EQ(sysfs::firstLevelBelow(controller, disk), controller + "/ata7");
    EXPECT_EQ(sysfs::firstLevelBelow(controller, controller + "/ata7"), controller + "/ata7");
    EXPECT_EQ(sysfs::firstLevelBelow(controller, "/sys/devices/virtual/block/loop0"), "");

    EXPECT_EQ(sysfs::parentPath(disk), controller + "/ata7/host6/target6:0:0/6:0:0:0/block");
    EXPECT_EQ(sysfs::parentPath("/sys"), "");
    EXPECT_EQ(sysfs::trimmed(" \tDuo Thunderbolt\n"), "Duo Thunderbolt");
    EXPECT_EQ(sysfs::trimmed("\n"), "");
}

}  // namespace
