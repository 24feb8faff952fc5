// The verdict's sentences, from the string table.
#include "model/health_verdict.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

namespace {

std::string text(const char* key, std::initializer_list<platform::FormatArg> args = {}) {
    return platform::formatString(platform::Bundle::mainBundle().localizedString(key), args);
}

std::string aboutDisk(const char* key, const DiskReading& disk) {
    return text(key, {disk.slot, disk.model, disk.serial});
}

}  // namespace

std::string findingText(const Finding& f) {
    switch (f.concern) {
        case Concern::LibraryProblem:
            return f.libraryProblem;
        case Concern::ControllersUnreadable:
            return text("FINDING_CONTROLLERS_UNREADABLE");
        case Concern::NoEnclosure:
            return text("HEALTH_NO_ENCLOSURE");
        case Concern::VolumeListUnreadable:
            return text("FINDING_VOLUME_LIST_UNREADABLE");
        case Concern::DiskListUnreadable:
            return text("FINDING_DISK_LIST_UNREADABLE");
        case Concern::NoDisks:
            return text("FINDING_NO_DISKS");
        case Concern::VolumeRebuilding:
            return text("FINDING_VOLUME_REBUILDING", {f.volumeName});
        case Concern::VolumeDegraded:
            return f.disk ? text("FINDING_VOLUME_DEGRADED_DISK",
                                 {f.volumeName, f.disk->slot, f.disk->model, f.disk->serial})
                          : text("FINDING_VOLUME_DEGRADED", {f.volumeName});
        case Concern::VolumeFailed:
            return f.disk ? text("FINDING_VOLUME_FAILED_DISK",
                                 {f.volumeName, f.disk->slot, f.disk->model, f.disk->serial})
                          : text("FINDING_VOLUME_FAILED", {f.volumeName});
        case Concern::VolumeStatusUnreadable:
            return text("FINDING_VOLUME_STATUS_UNREADABLE", {f.volumeName});
        case Concern::VolumeStatusUnnamed:
            return text("FINDING_VOLUME_STATUS_UNNAMED", {f.volumeName, f.statusCode.value_or(0)});
        case Concern::VolumeMembersUnreadable:
            return text("FINDING_VOLUME_MEMBERS_UNREADABLE", {f.volumeName});
        case Concern::DiskFailed:
            return f.disk ? aboutDisk("FINDING_DISK_FAILED", *f.disk) : std::string();
        case Concern::DiskStatusUnreadable:
            return text("FINDING_DISK_STATUS_UNREADABLE", {f.slot.value_or(0)});
        case Concern::DiskStatusUnnamed:
            return text("FINDING_DISK_STATUS_UNNAMED",
                        {f.disk ? f.disk->slot : 0, f.statusCode.value_or(0)});
    }
    return {};
}

std::string verdictText(const std::vector<Finding>& findings) {
    for (const Finding& f : findings) {
        if (f.health != Health::Ok) {
            return findingText(f);
        }
    }
    return text("HEALTH_OK");
}
