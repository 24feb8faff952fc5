#include "sim/world.h"

#include <cstdio>

#include "sim/enclosure_rules.h"

namespace sim {

namespace {

std::string numbered(const char* prefix, int a, int b) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%02d%02d", prefix, a % 100, b % 100);
    return text;
}

}  // namespace

Disk makeBlankDisk(int enclosure, int slot, std::uint64_t sizeBytes, std::uint32_t tag) {
    Disk disk;
    disk.slot = slot;
    disk.sizeBytes = sizeBytes;
    disk.model = "NORVIK ND" + std::to_string(sizeBytes / 1'000'000'000'000ULL) + "T-S";
    disk.serialNumber = numbered("NVD7K3", enclosure, slot);
    if (tag != 0) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%06X", tag & 0xFFFFFF);
        disk.serialNumber += suffix;
    }
    disk.firmware = "NV02";
    return disk;
}

World makeWorld(Layout layout, int enclosures, std::uint64_t diskBytes) {
    World world;
    for (int e = 0; e < enclosures; ++e) {
        Enclosure enclosure;
        enclosure.identity.serialNumber = numbered("NVK23A", e, 17);
        if (layout != Layout::Empty) {
            std::vector<std::uint16_t> members;
            for (int slot = 0; slot < kSlotCount; ++slot) {
                insertDisk(enclosure, makeBlankDisk(e, slot, diskBytes), 0);
                members.push_back(static_cast<std::uint16_t>(slot + 1));
            }
            const std::uint64_t kib = diskBytes >> 10;
            if (layout == Layout::Raid1) {
                createLogicalDisk(enclosure, RaidMode::Raid1, members, kDefaultVolumeName, kib);
            } else if (layout == Layout::Raid0) {
                createLogicalDisk(enclosure, RaidMode::Raid0, members, kDefaultVolumeName,
                                  kib * kSlotCount);
            }
        }
        world.enclosures.push_back(std::move(enclosure));
    }
    return world;
}

}  // namespace sim
