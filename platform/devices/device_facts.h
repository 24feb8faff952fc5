// What a device source keeps about a device beside the registry properties
// detection compares: the keys, and how numbers and texts are stored as bytes.
// Numbers are little-endian (the registry's 32-bit identities take 4 bytes),
// texts are their UTF-8 bytes without a terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/devices/device_types.h"

namespace platform::devices::facts {

// PCI functions (each a 4-byte number, except the texts).
inline constexpr const char* kVendorId = "vendor-id";
inline constexpr const char* kDeviceId = "device-id";
inline constexpr const char* kSubsystemVendorId = "subsystem-vendor-id";
inline constexpr const char* kSubsystemId = "subsystem-id";
inline constexpr const char* kPciSlot = "pci-slot";  // text: "0000:05:00.0"
inline constexpr const char* kDriver = "driver";     // text; absent while unbound

// The bus node of a whole disk.
inline constexpr const char* kModel = "model";           // text
inline constexpr const char* kSerial = "serial";         // text
inline constexpr const char* kSizeBytes = "size-bytes";  // 8-byte number

// Thunderbolt devices: node name and texts as the kernel gives them.
inline constexpr const char* kThunderboltDeviceNode = "thunderbolt-device";
inline constexpr const char* kVendorName = "vendor_name";
inline constexpr const char* kDeviceName = "device_name";
inline constexpr const char* kUniqueId = "unique_id";
inline constexpr const char* kAuthorized = "authorized";  // "0" while waiting

Bytes littleEndian(std::uint64_t value, std::size_t width);
// Empty for no bytes or more than 8.
std::optional<std::uint64_t> fromLittleEndian(const Bytes& bytes);

Bytes text(std::string_view value);
std::string textOf(const Bytes& bytes);

// A PCI function's service name: "pci<vendor>,<device>" in lower-case hex.
std::string pciServiceName(std::uint16_t vendor, std::uint16_t device);

}  // namespace platform::devices::facts
