#include "cli/monitor_events.h"

#include <algorithm>

#include "cli/health.h"
#include "model/health_verdict.h"

namespace cli {

const char* eventName(EventKind kind) {
    switch (kind) {
        case EventKind::EnclosureAdded:
            return "enclosure-added";
        case EventKind::EnclosureRemoved:
            return "enclosure-removed";
        case EventKind::VolumeDegraded:
            return "volume-degraded";
        case EventKind::VolumeOffline:
            return "volume-offline";
        case EventKind::VolumeUnknown:
            return "volume-unknown";
        case EventKind::VolumeHealthy:
            return "volume-healthy";
        case EventKind::RebuildStarted:
            return "rebuild-started";
        case EventKind::RebuildFinished:
            return "rebuild-finished";
        case EventKind::DiskAdded:
            return "disk-added";
        case EventKind::DiskRemoved:
            return "disk-removed";
        case EventKind::ServiceUnavailable:
            return "service-unavailable";
        case EventKind::RebuildProgress:
            return "rebuild-progress";
        case EventKind::Test:
            return "test";
    }
    return "unknown";
}

std::string describeDisk(const DiskReading& disk) {
    return "slot " + std::to_string(disk.slot) + ", " + disk.model + ", serial " + disk.serial;
}

namespace {

std::string controllerName(int adapter) {
    return "controller" + std::to_string(adapter);
}

}  // namespace

std::string volumeSubject(int adapter, const std::string& name, bool severalControllers) {
    return severalControllers ? controllerName(adapter) + ":" + name : name;
}

namespace {

const ControllerReading* findController(const EnclosureReading& reading, int adapter) {
    for (const ControllerReading& c : reading.controllers) {
        if (c.adapter == adapter) {
            return &c;
        }
    }
    return nullptr;
}

bool sameVolume(const VolumeReading& a, const VolumeReading& b) {
    return a.id == b.id && a.name == b.name;
}

const VolumeReading* findVolume(const ControllerReading* controller, const VolumeReading& like) {
    if (!controller) {
        return nullptr;
    }
    for (const VolumeReading& v : controller->volumes) {
        if (sameVolume(v, like)) {
            return &v;
        }
    }
    return nullptr;
}

bool sameDisk(const DiskReading& a, const DiskReading& b) {
    return a.hdid == b.hdid && a.serial == b.serial && a.model == b.model;
}

bool contains(const std::vector<DiskReading>& disks, const DiskReading& disk) {
    return std::any_of(disks.begin(), disks.end(),
                       [&](const DiskReading& d) { return sameDisk(d, disk); });
}

// A reading's volume or disk whose live values are no longer known.
VolumeReading unknown(VolumeReading v) {
    v.status.reset();
    v.progressPercent.reset();
    v.secondsRemaining.reset();
    return v;
}
DiskReading unknown(DiskReading d) {
    d.status.reset();
    return d;
}

// A member the last reading listed on a disk that is gone now: the disk to
// replace when the controller names none. Only when both readings could list
// the members and the disks, or a failed read would name a disk still there.
std::optional<DiskReading> memberGone(const ControllerReading& now,
                                      const ControllerReading* before,
                                      const VolumeReading& volume,
                                      const VolumeReading* previous) {
    if (!before || !previous || !now.disksRead || !volume.membersRead || !previous->membersRead) {
        return std::nullopt;
    }
    for (const int slot : previous->memberSlots) {
        if (std::find(volume.memberSlots.begin(), volume.memberSlots.end(), slot) !=
            volume.memberSlots.end()) {
            continue;
        }
        for (const DiskReading& d : before->disks) {
            if (d.slot == slot && !contains(now.disks, d)) {
                return d;
            }
        }
    }
    return std::nullopt;
}

class Differ {
  public:
    Differ(std::vector<Event>& events, bool severalControllers)
        : events_(events), several_(severalControllers) {}

    void controller(const ControllerReading& now, const ControllerReading* before) {
        const ControllerVerdict verdict = judgeController(now);
        if (before && now.disksRead) {
            for (const DiskReading& d : before->disks) {
                if (!contains(now.disks, d)) {
                    diskEvent(EventKind::DiskRemoved, now.adapter, d);
                }
            }
            for (const DiskReading& d : now.disks) {
                if (!contains(before->disks, d)) {
                    diskEvent(EventKind::DiskAdded, now.adapter, d);
                }
            }
        }
        // Volumes first seen after their list could not be read were unknown.
        const Health unseen = before && !before->volumesRead ? Health::Unknown : Health::Ok;
        for (const VolumeReading& v : now.volumes) {
            const VolumeReading* previous = findVolume(before, v);
            volume(now, before, verdict, v, previous, previous ? volumeHealth(*previous) : unseen);
        }
        if (!now.volumesRead && (!before || before->volumesRead)) {
            volumeListUnreadable(now, before);
        }
    }

    Event& push(EventKind kind, int adapter, std::string subject) {
        Event& e = events_.emplace_back();
        e.kind = kind;
        e.adapter = adapter;
        e.subject = std::move(subject);
        e.severalControllers = several_;
        return e;
    }

  private:
    void diskEvent(EventKind kind, int adapter, const DiskReading& d) {
        Event& e = push(kind, adapter, controllerName(adapter) + ":slot" + std::to_string(d.slot));
        e.detail = describeDisk(d);
        e.disk = d;
    }

    Event& volumeEvent(EventKind kind, int adapter, const VolumeReading& v) {
        const std::string name = v.displayName();
        Event& e = push(kind, adapter, volumeSubject(adapter, name, several_));
        e.volume = name;
        e.statusText = v.statusText;
        e.secondsRemaining = v.secondsRemaining;
        return e;
    }

    // The list could not be read: the volumes it held are unknown now.
    void volumeListUnreadable(const ControllerReading& now, const ControllerReading* before) {
        bool told = false;
        for (const VolumeReading& v : before ? before->volumes : std::vector<VolumeReading>{}) {
            if (findVolume(&now, v) || volumeHealth(v) == Health::Unknown) {
                continue;
            }
            volumeEvent(EventKind::VolumeUnknown, now.adapter, unknown(v)).detail =
                concernKeyword(Concern::VolumeListUnreadable);
            told = true;
        }
        if (!told) {
            push(EventKind::VolumeUnknown, now.adapter, controllerName(now.adapter)).detail =
                concernKeyword(Concern::VolumeListUnreadable);
        }
    }

    // What the verdict says of one volume, worst first.
    static const Finding* findingAbout(const ControllerVerdict& verdict, const VolumeReading& v) {
        for (const Finding& f : verdict.findings) {
            if (f.volumeId == v.id && f.volumeName == v.displayName()) {
                return &f;
            }
        }
        return nullptr;
    }

    // `was` is the health told last: a volume seen for the first time was ok.
    void volume(const ControllerReading& now,
                const ControllerReading* before,
                const ControllerVerdict& verdict,
                const VolumeReading& v,
                const VolumeReading* previous,
                Health was) {
        const Health health = volumeHealth(v);
        if (health == was) {
            return;
        }
        if (was == Health::Rebuilding) {
            volumeEvent(EventKind::RebuildFinished, now.adapter, v).detail =
                volumeStateKeyword(health);
        }
        const Finding* finding = findingAbout(verdict, v);
        switch (health) {
            case Health::Degraded:
            case Health::Failed: {
                Event& e = volumeEvent(health == Health::Degraded ? EventKind::VolumeDegraded
                                                                  : EventKind::VolumeOffline,
                                       now.adapter, v);
                e.disk =
                    finding && finding->disk ? finding->disk : memberGone(now, before, v, previous);
                if (e.disk) {
                    e.detail = describeDisk(*e.disk);
                }
                break;
            }
            case Health::Unknown:
                volumeEvent(EventKind::VolumeUnknown, now.adapter, v).detail =
                    finding ? concernKeyword(finding->concern) : "";
                break;
            case Health::Ok:
                volumeEvent(EventKind::VolumeHealthy, now.adapter, v);
                break;
            case Health::Rebuilding: {
                Event& e = volumeEvent(EventKind::RebuildStarted, now.adapter, v);
                // The target is the member that was not one before; on a
                // first sight of the volume that cannot be told.
                if (previous && previous->membersRead && v.membersRead) {
                    for (const int slot : v.memberSlots) {
                        const auto& old = previous->memberSlots;
                        if (std::find(old.begin(), old.end(), slot) == old.end()) {
                            e.slot = slot;
                        }
                    }
                }
                if (e.slot) {
                    e.detail = "slot " + std::to_string(*e.slot);
                }
                break;
            }
        }
    }

    std::vector<Event>& events_;
    bool several_;
};

}  // namespace

std::vector<Event> changesBetween(const std::optional<EnclosureReading>& before,
                                  const EnclosureReading& now) {
    std::vector<Event> events;
    const bool several = now.controllers.size() > 1 || (before && before->controllers.size() > 1);
    Differ differ(events, several);
    if (!now.controllersRead && (!before || before->controllersRead)) {
        differ.push(EventKind::ServiceUnavailable, 0, kControllerLibrarySubject).detail =
            now.libraryProblem;
    }
    for (const ControllerReading& c : now.controllers) {
        const ControllerReading* old = before ? findController(*before, c.adapter) : nullptr;
        if (before && !old) {
            differ.push(EventKind::EnclosureAdded, c.adapter, controllerName(c.adapter));
        }
        differ.controller(c, old);
    }
    // Controllers that could not be listed are not gone.
    if (before && now.controllersRead) {
        for (const ControllerReading& c : before->controllers) {
            if (!findController(now, c.adapter)) {
                differ.push(EventKind::EnclosureRemoved, c.adapter, controllerName(c.adapter));
            }
        }
    }
    return events;
}

EnclosureReading carriedForward(const std::optional<EnclosureReading>& before,
                                const EnclosureReading& now) {
    EnclosureReading carried = now;
    if (!before) {
        return carried;
    }
    for (ControllerReading& c : carried.controllers) {
        const ControllerReading* old = findController(*before, c.adapter);
        if (!old) {
            continue;
        }
        if (!c.volumesRead) {
            for (const VolumeReading& v : old->volumes) {
                if (!findVolume(&c, v)) {
                    c.volumes.push_back(unknown(v));
                }
            }
        }
        if (!c.disksRead) {
            for (const DiskReading& d : old->disks) {
                if (!contains(c.disks, d)) {
                    c.disks.push_back(unknown(d));
                }
            }
        }
    }
    if (!now.controllersRead) {
        for (const ControllerReading& old : before->controllers) {
            if (findController(now, old.adapter)) {
                continue;
            }
            ControllerReading& c = carried.controllers.emplace_back(old);
            c.volumesRead = false;
            c.disksRead = false;
            for (VolumeReading& v : c.volumes) {
                v = unknown(v);
            }
            for (DiskReading& d : c.disks) {
                d = unknown(d);
            }
        }
    }
    return carried;
}

}  // namespace cli
