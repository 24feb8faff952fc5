#include "sim/enclosure_rules.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace sim {

namespace {

Disk* mutableDisk(Enclosure& enclosure, std::uint16_t deviceId) {
    return const_cast<Disk*>(findDisk(enclosure, deviceId));
}

LogicalDisk* mutableLogicalDisk(Enclosure& enclosure, std::uint16_t id) {
    return const_cast<LogicalDisk*>(findLogicalDisk(enclosure, id));
}

bool inUse(const Disk& disk) {
    return std::any_of(disk.blocks.begin(), disk.blocks.end(),
                       [](const Block& b) { return b.logicalDisk.has_value(); });
}

// Never 0, so progress is always a proper fraction.
Nanoseconds rebuildDuration(double seconds) {
    if (!(seconds > 0)) {
        return 1;
    }
    return std::max<Nanoseconds>(1, static_cast<Nanoseconds>(std::min(seconds, 1e9) * 1e9));
}

// IDs are never 0 or 0xFFFF (the walk's end marker) and never reused while taken.
template <class Taken>
std::uint16_t allocateId(std::uint16_t& next, Taken taken) {
    for (int tries = 0; tries < 0x10000; ++tries) {
        std::uint16_t id = next;
        next = static_cast<std::uint16_t>(next + 1);
        if (id != 0 && id != 0xFFFF && !taken(id)) {
            return id;
        }
    }
    return 0;
}

std::uint16_t newBlockId(Enclosure& enclosure) {
    return allocateId(enclosure.nextBlockId,
                      [&](std::uint16_t id) { return findBlock(enclosure, id).block != nullptr; });
}

void removeMember(Enclosure& enclosure, std::uint16_t blockId) {
    for (auto& ld : enclosure.logicalDisks) {
        std::erase(ld.blocks, blockId);
    }
    std::erase_if(enclosure.rebuilds, [&](const Rebuild& r) { return r.block == blockId; });
}

// A block that stops being a member stays on its disk, belonging to nothing.
void releaseBlock(Enclosure& enclosure, std::uint16_t blockId) {
    for (auto& disk : enclosure.disks) {
        for (auto& block : disk.blocks) {
            if (block.id == blockId) {
                block.logicalDisk.reset();
            }
        }
    }
}

std::uint16_t addBlock(Enclosure& enclosure,
                       std::uint16_t deviceId,
                       std::uint64_t sizeKiB,
                       std::uint16_t logicalDisk) {
    std::uint16_t id = newBlockId(enclosure);
    Disk* disk = mutableDisk(enclosure, deviceId);
    // Space left by deleted volumes is taken over by the new block.
    std::erase_if(disk->blocks, [](const Block& b) { return !b.logicalDisk; });
    disk->blocks.push_back(Block{id, sizeKiB, logicalDisk});
    return id;
}

}  // namespace

int adapterCount(const World& world) {
    return static_cast<int>(std::count_if(world.enclosures.begin(), world.enclosures.end(),
                                          [](const Enclosure& e) { return e.plugged; }));
}

const Enclosure* adapter(const World& world, int id) {
    int index = 0;
    for (const auto& enclosure : world.enclosures) {
        if (enclosure.plugged && index++ == id) {
            return &enclosure;
        }
    }
    return nullptr;
}

Enclosure* adapter(World& world, int id) {
    return const_cast<Enclosure*>(adapter(static_cast<const World&>(world), id));
}

const Disk* findDisk(const Enclosure& enclosure, std::uint16_t deviceId) {
    for (const auto& disk : enclosure.disks) {
        if (disk.deviceId() == deviceId) {
            return &disk;
        }
    }
    return nullptr;
}

const Disk* diskInSlot(const Enclosure& enclosure, int slot) {
    for (const auto& disk : enclosure.disks) {
        if (disk.slot == slot) {
            return &disk;
        }
    }
    return nullptr;
}

const LogicalDisk* findLogicalDisk(const Enclosure& enclosure, std::uint16_t id) {
    for (const auto& ld : enclosure.logicalDisks) {
        if (ld.id == id) {
            return &ld;
        }
    }
    return nullptr;
}

BlockLocation findBlock(const Enclosure& enclosure, std::uint16_t blockId) {
    for (const auto& disk : enclosure.disks) {
        for (const auto& block : disk.blocks) {
            if (block.id == blockId) {
                return {&disk, &block};
            }
        }
    }
    return {};
}

const Rebuild* runningRebuild(const Enclosure& enclosure,
                              std::uint16_t logicalDisk,
                              const Timing& timing) {
    for (const auto& rebuild : enclosure.rebuilds) {
        if (rebuild.logicalDisk == logicalDisk &&
            timing.now - rebuild.startNanoseconds < rebuildDuration(timing.rebuildSeconds)) {
            return &rebuild;
        }
    }
    return nullptr;
}

LogicalDiskState logicalDiskState(const Enclosure& enclosure,
                                  const LogicalDisk& ld,
                                  const Timing& timing) {
    LogicalDiskState state;
    const Rebuild* rebuild = runningRebuild(enclosure, ld.id, timing);
    const auto present = static_cast<int>(ld.blocks.size());
    const int inSync = present - (rebuild ? 1 : 0);
    if (ld.mode == RaidMode::Raid0) {
        state.status = present >= ld.memberCount ? MV_LD_STATUS_FUNCTIONAL : MV_LD_STATUS_OFFLINE;
    } else if (inSync >= ld.memberCount) {
        state.status = MV_LD_STATUS_FUNCTIONAL;
    } else if (inSync > 0) {
        state.status = MV_LD_STATUS_DEGRADE;
    } else {
        state.status = MV_LD_STATUS_OFFLINE;
    }
    if (rebuild) {
        state.rebuilding = true;
        const Nanoseconds elapsed =
            std::max<Nanoseconds>(0, timing.now - rebuild->startNanoseconds);
        const Nanoseconds total = rebuildDuration(timing.rebuildSeconds);
        state.progress = static_cast<std::uint16_t>(
            std::min<long double>(99, std::floor(100.0L * elapsed / total)));
    }
    return state;
}

std::uint8_t diskStatus(const Disk& disk) {
    return inUse(disk) ? MV_HD_STATUS_ASSIGNED : MV_HD_STATUS_FREE;
}

void settleRebuilds(World& world, Nanoseconds now) {
    const Nanoseconds total = rebuildDuration(world.rebuildSeconds);
    for (auto& enclosure : world.enclosures) {
        for (auto& rebuild : enclosure.rebuilds) {
            // A start in the future means the clock started afresh (a reboot): start over.
            rebuild.startNanoseconds = std::min(rebuild.startNanoseconds, now);
        }
        std::erase_if(enclosure.rebuilds,
                      [&](const Rebuild& r) { return now - r.startNanoseconds >= total; });
    }
}

Status createLogicalDisk(Enclosure& enclosure,
                         RaidMode mode,
                         const std::vector<std::uint16_t>& members,
                         const std::string& name,
                         std::uint64_t sizeKiB) {
    const std::size_t count = members.size();
    if ((mode == RaidMode::Raid1 && count != 2) || (mode == RaidMode::Raid0 && count < 2)) {
        return kInvalidParameter;
    }
    if (std::set<std::uint16_t>(members.begin(), members.end()).size() != count) {
        return kInvalidParameter;
    }
    if (sizeKiB == 0 || name.size() > kMaxNameBytes) {
        return kInvalidParameter;
    }
    std::uint64_t smallest = UINT64_MAX;
    unsigned __int128 total = 0;
    for (auto id : members) {
        const Disk* disk = findDisk(enclosure, id);
        if (!disk) {
            return kNoSuchObject;
        }
        if (inUse(*disk)) {
            return kInUse;
        }
        smallest = std::min(smallest, disk->sizeKiB());
        total += disk->sizeKiB();
    }
    // The application sizes a stripe as the sum of its disks, so a stripe's
    // blocks share the size out in proportion to the disks.
    if ((mode == RaidMode::Raid1 && sizeKiB > smallest) ||
        (mode == RaidMode::Raid0 && sizeKiB > total)) {
        return kNoSpace;
    }
    const std::uint16_t ldId = allocateId(enclosure.nextLogicalDiskId, [&](std::uint16_t id) {
        return findLogicalDisk(enclosure, id) != nullptr;
    });
    if (ldId == 0) {
        return kNoSpace;
    }
    LogicalDisk ld{ldId, name, mode, static_cast<int>(count), {}, sizeKiB};
    std::uint64_t given = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t share = sizeKiB;
        if (mode == RaidMode::Raid0) {
            share =
                i + 1 == count
                    ? sizeKiB - given
                    : static_cast<std::uint64_t>(sizeKiB *
                                                 static_cast<unsigned __int128>(
                                                     findDisk(enclosure, members[i])->sizeKiB()) /
                                                 total);
            given += share;
        }
        ld.blocks.push_back(addBlock(enclosure, members[i], share, ldId));
    }
    enclosure.logicalDisks.push_back(std::move(ld));
    return kOk;
}

Status deleteLogicalDisk(Enclosure& enclosure, std::uint16_t id) {
    LogicalDisk* ld = mutableLogicalDisk(enclosure, id);
    if (!ld) {
        return kNoSuchObject;
    }
    for (auto block : ld->blocks) {
        releaseBlock(enclosure, block);
    }
    std::erase_if(enclosure.rebuilds, [&](const Rebuild& r) { return r.logicalDisk == id; });
    std::erase_if(enclosure.logicalDisks, [&](const LogicalDisk& l) { return l.id == id; });
    return kOk;
}

Status wipeDisk(Enclosure& enclosure, std::uint16_t deviceId) {
    Disk* disk = mutableDisk(enclosure, deviceId);
    if (!disk) {
        return kNoSuchObject;
    }
    for (const auto& block : disk->blocks) {
        removeMember(enclosure, block.id);
    }
    disk->blocks.clear();
    return kOk;
}

Status startRebuild(Enclosure& enclosure,
                    std::uint16_t logicalDisk,
                    std::uint16_t deviceId,
                    Nanoseconds now) {
    LogicalDisk* ld = mutableLogicalDisk(enclosure, logicalDisk);
    if (!ld) {
        return kNoSuchObject;
    }
    const Disk* disk = findDisk(enclosure, deviceId);
    if (!disk) {
        return kNoSuchObject;
    }
    const bool running = std::any_of(enclosure.rebuilds.begin(), enclosure.rebuilds.end(),
                                     [&](const Rebuild& r) { return r.logicalDisk == ld->id; });
    const auto present = static_cast<int>(ld->blocks.size());
    if (ld->mode != RaidMode::Raid1 || running || present == 0 || present >= ld->memberCount) {
        return kWrongState;
    }
    if (inUse(*disk)) {
        return kInUse;
    }
    if (disk->sizeKiB() < ld->sizeKiB) {
        return kNoSpace;
    }
    const std::uint16_t block = addBlock(enclosure, deviceId, ld->sizeKiB, ld->id);
    ld->blocks.push_back(block);
    enclosure.rebuilds.push_back(Rebuild{ld->id, deviceId, block, now});
    return kOk;
}

Status cancelRebuild(Enclosure& enclosure, std::uint16_t logicalDisk) {
    if (!findLogicalDisk(enclosure, logicalDisk)) {
        return kNoSuchObject;
    }
    auto it = std::find_if(enclosure.rebuilds.begin(), enclosure.rebuilds.end(),
                           [&](const Rebuild& r) { return r.logicalDisk == logicalDisk; });
    if (it == enclosure.rebuilds.end()) {
        return kWrongState;
    }
    const std::uint16_t block = it->block;
    removeMember(enclosure, block);
    releaseBlock(enclosure, block);
    return kOk;
}

bool pullDisk(Enclosure& enclosure, int slot) {
    const Disk* disk = diskInSlot(enclosure, slot);
    if (!disk) {
        return false;
    }
    wipeDisk(enclosure, disk->deviceId());
    std::erase_if(enclosure.disks, [&](const Disk& d) { return d.slot == slot; });
    // A rebuild whose last source went with the disk cannot go on.
    std::vector<std::uint16_t> orphaned;
    for (const auto& rebuild : enclosure.rebuilds) {
        const LogicalDisk* ld = findLogicalDisk(enclosure, rebuild.logicalDisk);
        if (!ld || ld->blocks.size() <= 1) {
            orphaned.push_back(rebuild.logicalDisk);
        }
    }
    for (auto id : orphaned) {
        cancelRebuild(enclosure, id);
    }
    return true;
}

bool insertDisk(Enclosure& enclosure, Disk disk, Nanoseconds now) {
    if (disk.slot < 0 || disk.slot >= enclosure.identity.portCount ||
        diskInSlot(enclosure, disk.slot)) {
        return false;
    }
    const std::uint16_t deviceId = disk.deviceId();
    auto at = std::find_if(enclosure.disks.begin(), enclosure.disks.end(),
                           [&](const Disk& d) { return d.slot > disk.slot; });
    enclosure.disks.insert(at, std::move(disk));
    if (enclosure.plugged && enclosure.autoRebuild) {
        for (const auto& ld : enclosure.logicalDisks) {
            if (startRebuild(enclosure, ld.id, deviceId, now) == kOk) {
                break;
            }
        }
    }
    return true;
}

}  // namespace sim
