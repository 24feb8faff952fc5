#include "platform/devices/device_facts.h"

#include <gtest/gtest.h>

namespace {

namespace facts = platform::devices::facts;
using platform::devices::Bytes;

TEST(DeviceFacts, NumbersAreLittleEndianOfTheirWidth) {
    EXPECT_EQ(facts::littleEndian(0x1B4B, 4), (Bytes{0x4B, 0x1B, 0x00, 0x00}));
    EXPECT_EQ(facts::littleEndian(2000398934016ULL, 8),
              (Bytes{0x00, 0x60, 0x11, 0xC1, 0xD1, 0x01, 0x00, 0x00}));
    EXPECT_EQ(facts::fromLittleEndian(facts::littleEndian(2000398934016ULL, 8)), 2000398934016ULL);
    EXPECT_EQ(facts::fromLittleEndian(Bytes{0x30, 0x92}), 0x9230u);
    EXPECT_EQ(facts::fromLittleEndian(Bytes{}), std::nullopt);
    EXPECT_EQ(facts::fromLittleEndian(Bytes(9, 0)), std::nullopt);
}

TEST(DeviceFacts, PciServiceNamesAreLowerCaseHexWithoutPadding) {
    EXPECT_EQ(facts::pciServiceName(0x1B4B, 0x9230), "pci1b4b,9230");
    EXPECT_EQ(facts::pciServiceName(0x8086, 0x0A0C), "pci8086,a0c");
    EXPECT_EQ(facts::textOf(facts::text("ahci")), "ahci");
}

}  // namespace
