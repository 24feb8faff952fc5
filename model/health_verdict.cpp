#include "model/health_verdict.h"

#include <algorithm>

#include "model/library_status.h"
#include "model/marvell_disk.h"
#include "model/mv_api.h"

Health worse(Health a, Health b) {
    return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

const char* healthKeyword(Health health) {
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

namespace {

// What a status the controller gave says; empty for a code without a meaning.
std::optional<Health> namedVolumeStatus(int status) {
    namespace code = library_status;
    switch (status) {
        case code::kSetFunctional:
            return Health::Ok;
        case code::kSetDegraded:
            return Health::Degraded;
        case code::kSetFailed:
        case code::kSetOffline:
        case code::kSetFailedToo:
            return Health::Failed;
        case code::kSetRebuilding:
            return Health::Rebuilding;
        default:
            return std::nullopt;
    }
}

}  // namespace

Health volumeHealth(const VolumeReading& volume) {
    const Health status = volume.status
                              ? namedVolumeStatus(*volume.status).value_or(Health::Unknown)
                              : Health::Unknown;
    return volume.membersRead ? status : worse(status, Health::Unknown);
}

const char* volumeStateKeyword(Health health) {
    switch (health) {
        case Health::Ok:
            return "functional";
        case Health::Rebuilding:
            return "rebuilding";
        case Health::Degraded:
            return "degraded";
        case Health::Failed:
            return "offline";
        case Health::Unknown:
            break;
    }
    return "unknown";
}

Health diskHealth(const DiskReading& disk) {
    if (!disk.status) {
        return Health::Unknown;
    }
    if (*disk.status & MV_HD_STATUS_OFFLINE) {
        return Health::Degraded;
    }
    return MarvellDisk::namingBit(*disk.status) ? Health::Ok : Health::Unknown;
}

namespace {

bool readAsFailed(const DiskReading& disk) {
    return disk.status && (*disk.status & MV_HD_STATUS_OFFLINE);
}

// The disk to replace for a volume that lost one: a member the controller
// reports offline, else any disk of the controller it reports offline.
std::optional<DiskReading> diskToReplace(const ControllerReading& controller,
                                         const VolumeReading& volume) {
    const auto isMember = [&](const DiskReading& d) {
        return std::find(volume.memberSlots.begin(), volume.memberSlots.end(), d.slot) !=
               volume.memberSlots.end();
    };
    std::optional<DiskReading> anyFailed;
    for (const DiskReading& disk : controller.disks) {
        if (!readAsFailed(disk)) {
            continue;
        }
        if (isMember(disk)) {
            return disk;
        }
        if (!anyFailed) {
            anyFailed = disk;
        }
    }
    return anyFailed;
}

class Judge {
  public:
    explicit Judge(std::optional<int> adapter) : adapter_(adapter) {}

    void take(const Finding& finding) { findings_.push_back(finding); }

    Finding& add(Health health, Concern concern) {
        Finding& f = findings_.emplace_back();
        f.health = health;
        f.concern = concern;
        f.adapter = adapter_;
        return f;
    }

    void volume(const ControllerReading& controller, const VolumeReading& v) {
        const auto named = v.status ? namedVolumeStatus(*v.status) : std::nullopt;
        const auto about = [&](Health health, Concern concern) -> Finding& {
            Finding& f = add(health, concern);
            f.volumeId = v.id;
            f.volumeName = v.displayName();
            return f;
        };
        if (!v.status) {
            about(Health::Unknown, Concern::VolumeStatusUnreadable);
        } else if (!named) {
            about(Health::Unknown, Concern::VolumeStatusUnnamed).statusCode = *v.status;
        } else if (*named == Health::Degraded || *named == Health::Failed) {
            about(*named,
                  *named == Health::Degraded ? Concern::VolumeDegraded : Concern::VolumeFailed)
                .disk = diskToReplace(controller, v);
        } else if (*named == Health::Rebuilding) {
            about(Health::Rebuilding, Concern::VolumeRebuilding).progressPercent =
                v.progressPercent;
        }
        if (!v.membersRead) {
            about(Health::Unknown, Concern::VolumeMembersUnreadable);
        }
    }

    void disk(const DiskReading& d) {
        switch (diskHealth(d)) {
            case Health::Ok:
                return;
            case Health::Degraded:
                add(Health::Degraded, Concern::DiskFailed).disk = d;
                return;
            default:
                break;
        }
        if (!d.status) {
            add(Health::Unknown, Concern::DiskStatusUnreadable).slot = d.slot;
        } else {
            Finding& f = add(Health::Unknown, Concern::DiskStatusUnnamed);
            f.disk = d;
            f.statusCode = *d.status;
        }
    }

    // The findings, worst first, and the worst health among them.
    Health finish(std::vector<Finding>& out) {
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             return static_cast<int>(a.health) > static_cast<int>(b.health);
                         });
        Health health = Health::Ok;
        for (const Finding& f : findings_) {
            health = worse(health, f.health);
        }
        out = std::move(findings_);
        return health;
    }

  private:
    std::optional<int> adapter_;
    std::vector<Finding> findings_;
};

}  // namespace

bool anythingUnread(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
        switch (f.concern) {
            case Concern::ControllersUnreadable:
            case Concern::VolumeListUnreadable:
            case Concern::DiskListUnreadable:
            case Concern::VolumeStatusUnreadable:
            case Concern::VolumeMembersUnreadable:
            case Concern::DiskStatusUnreadable:
                return true;
            default:
                return false;
        }
    });
}

ControllerVerdict judgeController(const ControllerReading& controller) {
    Judge judge(controller.adapter);
    if (!controller.volumesRead) {
        judge.add(Health::Unknown, Concern::VolumeListUnreadable);
    }
    if (!controller.disksRead) {
        judge.add(Health::Unknown, Concern::DiskListUnreadable);
    } else if (controller.disks.empty()) {
        judge.add(Health::Unknown, Concern::NoDisks);
    }
    for (const VolumeReading& v : controller.volumes) {
        judge.volume(controller, v);
    }
    for (const DiskReading& d : controller.disks) {
        judge.disk(d);
    }
    ControllerVerdict verdict;
    verdict.adapter = controller.adapter;
    verdict.health = judge.finish(verdict.findings);
    return verdict;
}

Verdict judgeEnclosure(const EnclosureReading& reading) {
    Judge judge(std::nullopt);
    if (!reading.libraryProblem.empty()) {
        judge.add(Health::Unknown, Concern::LibraryProblem).libraryProblem = reading.libraryProblem;
    }
    if (!reading.controllersRead) {
        judge.add(Health::Unknown, Concern::ControllersUnreadable);
    } else if (reading.controllers.empty() && reading.libraryProblem.empty()) {
        judge.add(Health::Unknown, Concern::NoEnclosure);
    }
    Verdict verdict;
    for (const ControllerReading& c : reading.controllers) {
        verdict.controllers.push_back(judgeController(c));
        for (const Finding& f : verdict.controllers.back().findings) {
            judge.take(f);
        }
    }
    verdict.health = judge.finish(verdict.findings);
    return verdict;
}
