// The simulated hardware: enclosures with their controller, disks, blocks and
// logical disks, plus foreign disks and injected faults. Plain data; the rules
// live in enclosure_rules.h, the file format in world_json.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

inline constexpr int kSlotCount = 2;
inline constexpr std::size_t kMaxBlocksPerDisk = 16;
inline constexpr std::size_t kMaxNameBytes = 16;
inline constexpr double kDefaultRebuildSeconds = 120.0;
// Records give sizes in KiB and readers turn them into bytes in 64 bits, so
// no size may reach 2^54 KiB.
inline constexpr std::uint64_t kMaxSizeKiB = UINT64_MAX >> 10;

struct ControllerIdentity {
    std::uint16_t vendorId = 0x1B4B;
    std::uint16_t deviceId = 0x9230;
    std::uint16_t subsystemVendorId = 0x1B4B;
    std::uint16_t subsystemId = 0x9230;
    std::uint8_t portCount = kSlotCount;
    std::string serialNumber;
    std::string model = "Norvik Duo TB";
    std::array<std::uint32_t, 4> driverVersion{4, 1, 0, 2032};
    std::array<std::uint16_t, 4> biosVersion{1, 0, 0, 1013};
    std::array<std::uint16_t, 4> firmwareVersion{2, 3, 0, 1062};
    std::array<std::uint16_t, 4> bootLoaderVersion{2, 1, 0, 1009};

    bool operator==(const ControllerIdentity&) const = default;
};

// A stretch of a disk; it belongs to at most one logical disk.
struct Block {
    std::uint16_t id = 0;
    std::uint64_t sizeKiB = 0;
    std::optional<std::uint16_t> logicalDisk;

    bool operator==(const Block&) const = default;
};

struct Disk {
    int slot = 0;
    std::uint64_t sizeBytes = 0;
    std::string model;
    std::string serialNumber;
    std::string firmware;
    std::vector<Block> blocks;

    // The controller numbers its disks from 1, by slot.
    std::uint16_t deviceId() const { return static_cast<std::uint16_t>(slot + 1); }
    std::uint64_t sizeKiB() const { return sizeBytes >> 10; }
    bool operator==(const Disk&) const = default;
};

enum class RaidMode : std::uint8_t { Raid0 = 0, Raid1 = 1 };

struct LogicalDisk {
    std::uint16_t id = 0;
    std::string name;  // raw bytes, up to 16, possibly not UTF-8
    RaidMode mode = RaidMode::Raid1;
    int memberCount = 0;                // members it was created with
    std::vector<std::uint16_t> blocks;  // members that still exist
    std::uint64_t sizeKiB = 0;

    bool operator==(const LogicalDisk&) const = default;
};

struct Rebuild {
    std::uint16_t logicalDisk = 0;
    std::uint16_t disk = 0;             // device ID of the target
    std::uint16_t block = 0;            // the member block being written
    std::int64_t startNanoseconds = 0;  // on the Clock's time line

    bool operator==(const Rebuild&) const = default;
};

struct Enclosure {
    bool plugged = true;
    ControllerIdentity identity;
    bool autoRebuild = true;
    std::vector<Disk> disks;  // ascending slot
    std::vector<LogicalDisk> logicalDisks;
    std::vector<Rebuild> rebuilds;
    std::uint16_t nextBlockId = 1;
    std::uint16_t nextLogicalDiskId = 1;

    bool operator==(const Enclosure&) const = default;
};

// A whole disk on another bus (a USB stick, say), only seen by the device feed.
struct ForeignDisk {
    std::string name;
    std::uint64_t sizeBytes = 0;

    bool operator==(const ForeignDisk&) const = default;
};

struct Fault {
    std::string operation;  // a library operation's C name
    bool raise = false;     // raise a std::exception instead of returning `status`
    std::uint8_t status = 1;
    int remaining = 1;  // calls still to be hit

    bool operator==(const Fault&) const = default;
};

struct World {
    double rebuildSeconds = kDefaultRebuildSeconds;
    std::vector<Enclosure> enclosures;
    std::vector<ForeignDisk> foreignDisks;
    std::vector<Fault> faults;

    bool operator==(const World&) const = default;
};

enum class Layout { Raid1, Raid0, Individual, Empty };

inline constexpr std::uint64_t kDefaultDiskBytes = 2'000'398'934'016ULL;
inline constexpr const char* kDefaultVolumeName = "Norvik Duo";

// A fresh world: `enclosures` plugged enclosures, each with two disks of
// `diskBytes` arranged as `layout`.
World makeWorld(Layout layout = Layout::Raid1,
                int enclosures = 1,
                std::uint64_t diskBytes = kDefaultDiskBytes);

// A blank disk as the `insert` command puts one in; `tag` makes its serial
// number differ from that of the disk it replaces.
Disk makeBlankDisk(int enclosure, int slot, std::uint64_t sizeBytes, std::uint32_t tag = 0);

}  // namespace sim
