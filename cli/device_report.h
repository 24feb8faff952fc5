// What the device source sees, as norvik-raid devices reports it: every
// enclosure controller in the device tree with its whole disks and the
// Thunderbolt device it sits behind, and the Thunderbolt devices that wait
// for authorization. Built from the tree alone, so it reads the simulated
// world and the machine alike; what a source does not tell stays empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/devices/device_tree.h"

namespace cli {

struct ThunderboltDevice {
    std::string vendorName;
    std::string deviceName;
    std::string uniqueId;
    bool authorized = false;
};

struct EnclosureDisk {
    std::string name;  // the kernel's
    std::optional<std::string> model;
    std::optional<std::string> serial;
    std::optional<std::uint64_t> sizeBytes;
};

struct Enclosure {
    std::optional<std::string> pciSlot;
    std::uint16_t vendorId = 0;
    std::uint16_t deviceId = 0;
    std::uint16_t subsystemVendorId = 0;
    std::uint16_t subsystemId = 0;
    std::optional<std::string> driver;
    std::optional<ThunderboltDevice> thunderbolt;  // empty: cannot be told
    std::vector<EnclosureDisk> disks;              // in kernel-name order
};

struct DeviceReport {
    std::vector<Enclosure> enclosures;  // in the tree's order
    std::vector<ThunderboltDevice> unauthorizedThunderbolt;
};

DeviceReport reportDevices(const platform::devices::DeviceTree& tree);

// The order the kernel hands out names in: shorter first ("sdz" before "sdaa").
bool kernelNameLess(const std::string& a, const std::string& b);

}  // namespace cli
