#include "cli/health.h"

#include <algorithm>

#include "model/marvell_disk.h"
#include "model/marvell_raid_set.h"
#include "model/mv_api.h"

namespace cli {

namespace {

// Worst first: a failed or degraded volume is what the owner must see even
// when another status could not be read.
int severity(Health health) {
    switch (health) {
        case Health::Ok:
            return 0;
        case Health::Rebuilding:
            return 1;
        case Health::Unknown:
            return 2;
        case Health::Degraded:
            return 3;
        case Health::Failed:
            return 4;
    }
    return 2;
}

Health volumeHealth(int status) {
    switch (status) {
        case MV_LD_STATUS_FUNCTIONAL:
            return Health::Ok;
        case MV_LD_STATUS_DEGRADE:
            return Health::Degraded;
        case MV_LD_STATUS_OFFLINE:
            return Health::Failed;
        case MarvellRAIDSet::kStatusRebuilding:
            return Health::Rebuilding;
        default:
            return Health::Unknown;
    }
}

Health diskHealth(int status) {
    if (status & MV_HD_STATUS_OFFLINE) {
        return Health::Degraded;
    }
    return MarvellDisk::namingBit(status) ? Health::Ok : Health::Unknown;
}

}  // namespace

Health assess(const EnclosureReading& reading) {
    Health worst = Health::Ok;
    bool sawSomething = false;
    const auto take = [&](Health h) {
        sawSomething = true;
        if (severity(h) > severity(worst)) {
            worst = h;
        }
    };
    for (const ControllerReading& controller : reading.controllers) {
        for (const VolumeReading& volume : controller.volumes) {
            take(volumeHealth(volume.status));
        }
        for (const DiskReading& disk : controller.disks) {
            take(diskHealth(disk.status));
        }
    }
    return sawSomething ? worst : Health::Unknown;
}

const char* keyword(Health health) {
    switch (health) {
        case Health::Ok:
            return "ok";
        case Health::Rebuilding:
            return "rebuilding";
        case Health::Degraded:
            return "degraded";
        case Health::Failed:
            return "failed";
        case Health::Unknown:
            break;
    }
    return "unknown";
}

int exitStatus(Health health) {
    switch (health) {
        case Health::Ok:
            return 0;
        case Health::Rebuilding:
            return 1;
        case Health::Degraded:
        case Health::Failed:
            return 2;
        case Health::Unknown:
            break;
    }
    return 3;
}

const char* pluginStatus(Health health) {
    static const char* const kNames[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
    return kNames[exitStatus(health)];
}

const char* volumeStatusKeyword(int status) {
    switch (status) {
        case MV_LD_STATUS_FUNCTIONAL:
            return "functional";
        case MV_LD_STATUS_DEGRADE:
            return "degraded";
        case MV_LD_STATUS_OFFLINE:
            return "offline";
        case MarvellRAIDSet::kStatusRebuilding:
            return "rebuilding";
        default:
            return "unknown";
    }
}

const char* diskStatusKeyword(int status) {
    switch (MarvellDisk::namingBit(status)) {
        case MV_HD_STATUS_FREE:
            return "free";
        case MV_HD_STATUS_ASSIGNED:
            return "assigned";
        case MV_HD_STATUS_SPARE:
            return "spare";
        case MV_HD_STATUS_OFFLINE:
            return "offline";
        case MV_HD_STATUS_SMARTCHECKING:
            return "smart-checking";
        case MV_HD_STATUS_DEDICATED_SPARE:
            return "dedicated-spare";
        default:
            return "unknown";
    }
}

}  // namespace cli
