#include "cli/monitor_events.h"

#include <algorithm>

#include "cli/health.h"
#include "model/marvell_raid_set.h"
#include "model/mv_api.h"

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

const ControllerReading* findController(const EnclosureReading& reading, int adapter) {
    for (const ControllerReading& c : reading.controllers) {
        if (c.adapter == adapter) {
            return &c;
        }
    }
    return nullptr;
}

const VolumeReading* findVolume(const ControllerReading* controller, const VolumeReading& like) {
    if (!controller) {
        return nullptr;
    }
    for (const VolumeReading& v : controller->volumes) {
        if (v.id == like.id && v.name == like.name) {
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

// The disk to replace: one the controller reports offline, else a member that
// was there at the last reading and is gone now.
std::optional<DiskReading> diskToReplace(const ControllerReading& now,
                                         const ControllerReading* before,
                                         const VolumeReading& volume,
                                         const VolumeReading* previous) {
    for (const DiskReading& d : now.disks) {
        if (d.status & MV_HD_STATUS_OFFLINE) {
            return d;
        }
    }
    if (before && previous) {
        for (const int slot : previous->memberSlots) {
            if (std::find(volume.memberSlots.begin(), volume.memberSlots.end(), slot) !=
                volume.memberSlots.end()) {
                continue;
            }
            for (const DiskReading& d : before->disks) {
                if (d.slot == slot) {
                    return d;
                }
            }
        }
    }
    return std::nullopt;
}

class Differ {
  public:
    explicit Differ(std::vector<Event>& events) : events_(events) {}

    void controller(const ControllerReading& now, const ControllerReading* before, bool fresh) {
        if (before) {
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
        for (const VolumeReading& v : now.volumes) {
            volume(now, before, v, fresh ? nullptr : findVolume(before, v));
        }
    }

    void push(EventKind kind, int adapter, std::string subject) {
        Event e;
        e.kind = kind;
        e.adapter = adapter;
        e.subject = std::move(subject);
        events_.push_back(std::move(e));
    }

  private:
    void diskEvent(EventKind kind, int adapter, const DiskReading& d) {
        push(kind, adapter, controllerName(adapter) + ":slot" + std::to_string(d.slot));
        events_.back().detail = describeDisk(d);
        events_.back().disk = d;
    }

    Event& volumeEvent(EventKind kind, int adapter, const VolumeReading& v) {
        push(kind, adapter, v.displayName());
        events_.back().statusText = v.statusText;
        events_.back().secondsRemaining = v.secondsRemaining;
        return events_.back();
    }

    // `previous` is null for a volume seen for the first time.
    void volume(const ControllerReading& now,
                const ControllerReading* before,
                const VolumeReading& v,
                const VolumeReading* previous) {
        const int was = previous ? previous->status : MV_LD_STATUS_FUNCTIONAL;
        if (previous && was == v.status) {
            return;
        }
        if (was == MarvellRAIDSet::kStatusRebuilding) {
            volumeEvent(EventKind::RebuildFinished, now.adapter, v).detail =
                volumeStatusKeyword(v.status);
        }
        switch (v.status) {
            case MV_LD_STATUS_DEGRADE:
            case MV_LD_STATUS_OFFLINE: {
                Event& e = volumeEvent(v.status == MV_LD_STATUS_DEGRADE ? EventKind::VolumeDegraded
                                                                        : EventKind::VolumeOffline,
                                       now.adapter, v);
                e.disk = diskToReplace(now, before, v, previous);
                if (e.disk) {
                    e.detail = describeDisk(*e.disk);
                }
                break;
            }
            case MV_LD_STATUS_FUNCTIONAL:
                if (previous) {
                    volumeEvent(EventKind::VolumeHealthy, now.adapter, v);
                }
                break;
            case MarvellRAIDSet::kStatusRebuilding: {
                Event& e = volumeEvent(EventKind::RebuildStarted, now.adapter, v);
                // The target is the member that was not one before; on a
                // first sight of the volume that cannot be told.
                for (const int slot : previous ? v.memberSlots : std::vector<int>{}) {
                    const auto& old = previous->memberSlots;
                    if (std::find(old.begin(), old.end(), slot) == old.end()) {
                        e.slot = slot;
                    }
                }
                if (e.slot) {
                    e.detail = "slot " + std::to_string(*e.slot);
                }
                break;
            }
            default:
                break;  // a status the controller would not give: nothing to say
        }
    }

    std::vector<Event>& events_;
};

}  // namespace

std::vector<Event> changesBetween(const std::optional<EnclosureReading>& before,
                                  const EnclosureReading& now) {
    std::vector<Event> events;
    Differ differ(events);
    for (const ControllerReading& c : now.controllers) {
        const ControllerReading* old = before ? findController(*before, c.adapter) : nullptr;
        if (before && !old) {
            differ.push(EventKind::EnclosureAdded, c.adapter, controllerName(c.adapter));
        }
        differ.controller(c, old, old == nullptr);
    }
    if (before) {
        for (const ControllerReading& c : before->controllers) {
            if (!findController(now, c.adapter)) {
                differ.push(EventKind::EnclosureRemoved, c.adapter, controllerName(c.adapter));
            }
        }
    }
    return events;
}

}  // namespace cli
