// How the enclosure's RAID controller is recognised in the device registry,
// and the check that a disk sits behind it.
#pragma once

#include "platform/devices/device_types.h"
#include "platform/devices/disk_arrival.h"

namespace enclosure {

inline constexpr const char* kServiceName = "pci1b4b,9230";
inline constexpr const char* kSubsystemVendorKey = "subsystem-vendor-id";
inline constexpr const char* kSubsystemKey = "subsystem-id";

// The 32-bit identities as the registry stores them: 4 bytes, little-endian.
inline const platform::devices::Bytes kSubsystemVendorID{0x4B, 0x1B, 0x00, 0x00};
inline const platform::devices::Bytes kSubsystemID{0x30, 0x92, 0x00, 0x00};

}  // namespace enclosure

// True when the disk's bus node, two levels up in the device tree, is the
// enclosure's controller. Any failure on the way answers false.
bool isEnclosureDisk(const platform::devices::DiskRef& disk);

// Registry and disk-arrival callbacks; the context is the EnclosureWatcher.
void serviceMatched(void* context, platform::devices::Iterator iterator);
void serviceTerminated(void* context, platform::devices::Iterator iterator);
void diskAppeared(const platform::devices::DiskRef& disk, void* context);
void diskDisappeared(const platform::devices::DiskRef& disk, void* context);
