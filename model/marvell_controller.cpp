#include "model/marvell_controller.h"

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstring>
#include <limits>

#include "model/adapter_config_buffer.h"
#include "model/block_queries.h"
#include "model/guard.h"
#include "model/library_binding.h"
#include "model/model_clock.h"
#include "model/request_buffer.h"
#include "model/utf8.h"

namespace {

// Volume creation waits this long after deleting the volumes and after wiping
// the disks, so the controller has settled before the next step.
constexpr platform::Duration kSettlePause = platform::seconds(3.0);

constexpr std::size_t kMaxNameBytes = sizeof(Create_LD_Param::Name) - 1;

// Walks one of the library's lists: enumerate from index 0, one entry per call,
// until the library answers MV_NO_MORE_ENTRIES. `take` gets each reply.
//
// A library that never answers the end, or sends the walk back to an index it
// already asked for, would otherwise keep the walk going for ever. Starting
// indices are 16-bit, so a walk that asks for no index twice ends after at
// most 65535 calls, and a well-formed list never repeats an index: a repeat
// ends the walk as a failure, keeping what was collected, like any failure.
template <class Buffer, class Call, class Take>
MV_U8 walkList(Call&& call, Take&& take) {
    Buffer request(MV_REQUEST_ENUMERATE, 0);
    std::bitset<std::numeric_limits<MV_U16>::max() + 1> asked;
    MV_U16 index = 0;
    for (;;) {
        asked.set(index);
        const MV_U8 status = guarded<MV_U8>(kStatusRaised, [&] { return call(request.data()); });
        if (status != 0) {
            return status;
        }
        take(request);
        const MV_U16 next = request.nextIndex();
        if (next == MV_NO_MORE_ENTRIES) {
            return 0;
        }
        if (asked.test(next)) {
            return kStatusRaised;
        }
        index = next;
        request.setStartingIndex(index);
    }
}

// Messages to nil answered 0.
int hdidOf(const std::shared_ptr<MarvellDisk>& disk) {
    return disk ? disk->hdid() : 0;
}

}  // namespace

std::vector<std::shared_ptr<MarvellController>> MarvellController::scanForControllers() {
    return enumerateControllers().controllers;
}

MarvellController::ControllerScan MarvellController::enumerateControllers() {
    ControllerScan scan;
    guarded<MV_U8>(kStatusRaised, [] { return controllerLibrary().MV_API_RescanAdapter(); });
    const auto count = guarded(std::optional<int>(), [] {
        return std::optional<int>(controllerLibrary().MV_Adapter_GetCount());
    });
    scan.complete = count.has_value();
    // One record and count byte serve every index, as the library expects.
    Adapter_Info info{};
    MV_U8 returned = 0;
    for (int i = 0; i < count.value_or(0); ++i) {
        const MV_U8 status = guarded<MV_U8>(kStatusRaised, [&] {
            return controllerLibrary().MV_Adapter_GetInfo(static_cast<MV_U8>(i), &returned, &info);
        });
        if (status != 0) {
            scan.complete = false;
            continue;
        }
        // An adapter answering another count is not one of ours.
        if (returned != 1) {
            continue;
        }
        if (auto controller = initWithID(i, &info)) {
            scan.controllers.push_back(std::move(controller));
        }
    }
    return scan;
}

int MarvellController::controllerCount() {
    return guarded<int>(0, [] { return controllerLibrary().MV_Adapter_GetCount(); });
}

std::shared_ptr<MarvellController> MarvellController::initWithID(int id,
                                                                 const Adapter_Info* adapter) {
    auto controller = std::make_shared<MarvellController>(Private{}, id);
    if (adapter) {
        std::memcpy(&controller->config_, adapter, sizeof controller->config_);
        return controller;
    }
    MV_U8 returned = 0;
    const bool read = guarded(false, [&] {
        return controllerLibrary().MV_Adapter_GetInfo(controller->adapterId(), &returned,
                                                      &controller->config_) == 0 &&
               returned != 0;
    });
    return read ? controller : nullptr;
}

MarvellController::MarvellController(Private, int id) : cid_(id) {}

MarvellController::~MarvellController() {
    invalidate();
}

void MarvellController::invalidate() {
    // The controller runs no timer of its own, so there is nothing to stop.
}

MV_U8 MarvellController::scanForDisks() {
    disks_.clear();
    return walkList<DiskWalkBuffer>(
        [&](void* request) {
            return controllerLibrary().MV_PD_GetHDInfo_Ext(adapterId(), request);
        },
        [&](const DiskWalkBuffer& reply) {
            using Self = decltype(HD_Info::Link.Self);
            constexpr std::size_t kDevType = offsetof(HD_Info, Link.Self) + offsetof(Self, DevType);
            if (reply.field<MV_U8, kDevType>() != MV_DEVICE_TYPE_HD) {
                return;
            }
            const auto record = reply.record<HD_Info>();
            if (auto disk = MarvellDisk::initWithInfo(&record)) {
                disks_.push_back(std::move(disk));
            }
        });
}

MV_U8 MarvellController::scanForRAIDSets() {
    raidSets_.clear();
    return walkList<RAIDSetWalkBuffer>(
        [&](void* request) { return controllerLibrary().MV_LD_GetInfo(adapterId(), request); },
        [&](const RAIDSetWalkBuffer& reply) {
            if (reply.field<MV_U8, offsetof(LD_Info, Status)>() == MV_LD_STATUS_INVALID) {
                return;
            }
            const auto record = reply.record<LD_Info>();
            if (auto set = MarvellRAIDSet::initWithInfo(&record)) {
                raidSets_.push_back(std::move(set));
            }
        });
}

std::shared_ptr<MarvellDisk> MarvellController::findDiskByHDID(std::uint16_t hdid) const {
    for (const auto& disk : disks_) {
        if (disk && static_cast<std::uint16_t>(disk->hdid()) == hdid) {
            return disk;
        }
    }
    return nullptr;
}

MV_U8 MarvellController::createVD(const std::string& name, std::int64_t type) {
    if (type > 2) {
        return kInvalidVolumeType;
    }
    if (!raidSets_.empty()) {
        deleteVD();
        modelClock().sleepFor(kSettlePause);
    }
    if (!disks_.empty()) {
        wipeDisks();
        modelClock().sleepFor(kSettlePause);
    }

    Create_LD_Param param{};
    param.RaidMode = static_cast<MV_U8>(static_cast<std::uint64_t>(type) - 1);
    // The record has room for 128 members; the count never names more than
    // were written, so a library that trusts it cannot read past them.
    const std::size_t members = std::min<std::size_t>(disks_.size(), MV_MAX_LD_MEMBERS);
    param.HDCount = static_cast<MV_U8>(members);
    param.StripeBlockSize = 64;
    param.Param7 = 1;
    param.Param9 = 1;
    // Cut at a character boundary: a name cut inside a character is not UTF-8,
    // and the RAID set could never show it.
    std::memcpy(param.Name, name.data(), utf8PrefixLength(name, kMaxNameBytes));

    std::uint64_t smallest = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t sum = 0;
    // The size counts the members sent, not disks left out of the volume.
    for (std::size_t i = 0; i < members; ++i) {
        const auto& disk = disks_[i];
        param.HDIDs[i] = static_cast<MV_U16>(hdidOf(disk));
        const std::uint64_t units = (disk ? disk->capacity() : 0) >> 10;
        smallest = std::min(smallest, units);
        sum += units;
    }
    param.Size = type == 2 ? smallest : sum;

    return guarded<MV_U8>(kStatusRaised,
                          [&] { return controllerLibrary().MV_LD_Create(adapterId(), &param); });
}

MV_U8 MarvellController::deleteVD() {
    for (const auto& set : raidSets_) {
        const MV_U8 status = guarded<MV_U8>(kStatusRaised, [&] {
            if (set) {
                set->cancelRebuild();
            }
            const auto vdid = static_cast<MV_U16>(set ? set->vdid() : 0);
            return controllerLibrary().MV_LD_Delete(adapterId(), vdid, 1);
        });
        if (status != 0) {
            return status;
        }
    }
    return 0;
}

MV_U8 MarvellController::wipeDisks() {
    for (const auto& disk : disks_) {
        const MV_U8 status = guarded<MV_U8>(kStatusRaised, [&] {
            return controllerLibrary().MV_PD_WipeHDMDD(adapterId(),
                                                       static_cast<MV_U16>(hdidOf(disk)), 0);
        });
        if (status != 0) {
            return status;
        }
    }
    return 0;
}

void MarvellController::freeDiskForRebuild(std::uint16_t hdid, int keepVdid) {
    const auto blocks = guarded(std::optional<std::vector<MV_U16>>(),
                                [&] { return lookUpDiskBlocks(adapterId(), hdid); });
    for (MV_U16 block : blocks.value_or(std::vector<MV_U16>())) {
        const auto owner =
            guarded(std::optional<BlockOwner>(), [&] { return lookUpBlock(adapterId(), block); });
        if (owner && owner->assigned && owner->logicalDisk != keepVdid) {
            controllerLibrary().MV_LD_Delete(adapterId(), owner->logicalDisk, 1);
        }
    }
}

MV_U8 MarvellController::autoRebuild(bool on) {
    return guarded<MV_U8>(kStatusRaised, [&] {
        auto& library = controllerLibrary();
        MV_U8 unread = 0;
        // The record's true size is the library's: a larger one than ours
        // lands in the zeroed room behind it and is sent back as it came.
        AdapterConfigBuffer config{};
        const MV_U8 status = library.MV_Adapter_GetConfig(adapterId(), &unread, config.record());
        if (status != 0) {
            return status;
        }
        config.bytes[offsetof(Adapter_Config, AutoRebuild)] = on ? 1 : 0;
        return library.MV_Adapter_SetConfig(adapterId(), config.record());
    });
}
