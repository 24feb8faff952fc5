// How the simulated controller behaves: what a set's status is, what a disk's
// status is, and the changes it accepts. Every change either applies in full
// and returns kOk, or returns a non-zero status and leaves the enclosure as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/status.h"
#include "sim/world.h"

namespace sim {

// Times are nanoseconds on the Clock's time line (the same line in every process).
using Nanoseconds = std::int64_t;

struct Timing {
    Nanoseconds now = 0;
    double rebuildSeconds = kDefaultRebuildSeconds;
};

// ---- lookups
int adapterCount(const World& world);
// The plugged enclosure the controller library calls adapter `id`, or null.
const Enclosure* adapter(const World& world, int id);
Enclosure* adapter(World& world, int id);

const Disk* findDisk(const Enclosure& enclosure, std::uint16_t deviceId);
const Disk* diskInSlot(const Enclosure& enclosure, int slot);
const LogicalDisk* findLogicalDisk(const Enclosure& enclosure, std::uint16_t id);
struct BlockLocation {
    const Disk* disk = nullptr;
    const Block* block = nullptr;
};
BlockLocation findBlock(const Enclosure& enclosure, std::uint16_t blockId);

// ---- live state
// The rebuild of `logicalDisk` that is still running at `timing.now`, or null.
const Rebuild* runningRebuild(const Enclosure& enclosure,
                              std::uint16_t logicalDisk,
                              const Timing& timing);

struct LogicalDiskState {
    std::uint8_t status = 0;  // 0 functional, 1 degraded, 4 offline
    bool rebuilding = false;
    std::uint16_t progress = 0;  // percent, while rebuilding
};
LogicalDiskState logicalDiskState(const Enclosure& enclosure,
                                  const LogicalDisk& logicalDisk,
                                  const Timing& timing);

// MV_HD_STATUS_* bits of one disk.
std::uint8_t diskStatus(const Disk& disk);

// ---- what the controller does
// Ends the rebuilds whose time is up; every change starts with it.
void settleRebuilds(World& world, Nanoseconds now);

Status createLogicalDisk(Enclosure& enclosure,
                         RaidMode mode,
                         const std::vector<std::uint16_t>& members,
                         const std::string& name,
                         std::uint64_t sizeKiB);
Status deleteLogicalDisk(Enclosure& enclosure, std::uint16_t id);
Status wipeDisk(Enclosure& enclosure, std::uint16_t deviceId);
Status startRebuild(Enclosure& enclosure,
                    std::uint16_t logicalDisk,
                    std::uint16_t deviceId,
                    Nanoseconds now);
Status cancelRebuild(Enclosure& enclosure, std::uint16_t logicalDisk);

// ---- what the hardware does (the norvik-sim command)
// Removes the disk in `slot`; false when the slot is empty.
bool pullDisk(Enclosure& enclosure, int slot);
// Puts `disk` into its slot and, with auto-rebuild on, starts rebuilding a
// degraded mirror onto it; false when the slot is taken or does not exist.
bool insertDisk(Enclosure& enclosure, Disk disk, Nanoseconds now);

}  // namespace sim
