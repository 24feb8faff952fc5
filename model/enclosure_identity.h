// How the enclosure's RAID controller shows in the device registry: a PCI
// function named "pci1b4b,9230" whose subsystem identities, stored as the
// registry stores them (4 bytes, little-endian), are 0x1B4B and 0x9230.
// A motherboard port with the same chip has the same name and other
// subsystem identities.
#pragma once

#include <cstdint>
#include <vector>

namespace enclosure {

inline constexpr const char* kServiceName = "pci1b4b,9230";
inline constexpr const char* kSubsystemVendorKey = "subsystem-vendor-id";
inline constexpr const char* kSubsystemKey = "subsystem-id";

inline const std::vector<std::uint8_t> kSubsystemVendorID{0x4B, 0x1B, 0x00, 0x00};
inline const std::vector<std::uint8_t> kSubsystemID{0x30, 0x92, 0x00, 0x00};

}  // namespace enclosure
