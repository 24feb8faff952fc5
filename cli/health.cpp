#include "cli/health.h"

#include "model/marvell_disk.h"
#include "model/mv_api.h"

namespace cli {

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

const char* diskStatusKeyword(std::optional<int> status) {
    switch (status ? MarvellDisk::namingBit(*status) : 0) {
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

const char* concernKeyword(Concern concern) {
    switch (concern) {
        case Concern::LibraryProblem:
            return "library-problem";
        case Concern::ControllersUnreadable:
            return "controller-list-unreadable";
        case Concern::NoEnclosure:
            return "no-enclosure";
        case Concern::VolumeListUnreadable:
            return "volume-list-unreadable";
        case Concern::DiskListUnreadable:
            return "disk-list-unreadable";
        case Concern::NoDisks:
            return "no-disks";
        case Concern::VolumeRebuilding:
            return "volume-rebuilding";
        case Concern::VolumeDegraded:
            return "volume-degraded";
        case Concern::VolumeFailed:
            return "volume-offline";
        case Concern::VolumeStatusUnreadable:
            return "volume-status-unreadable";
        case Concern::VolumeStatusUnnamed:
            return "volume-status-unknown";
        case Concern::VolumeMembersUnreadable:
            return "volume-members-unreadable";
        case Concern::DiskFailed:
            return "disk-offline";
        case Concern::DiskStatusUnreadable:
            return "disk-status-unreadable";
        case Concern::DiskStatusUnnamed:
            return "disk-status-unknown";
    }
    return "unknown";
}

}  // namespace cli
