// What changed between two readings, as the monitor's events. The first
// reading has nothing to compare with: it reports only what needs the
// owner's attention (a volume degraded, offline or being rebuilt).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/enclosure_reading.h"

namespace cli {

enum class EventKind {
    EnclosureAdded,
    EnclosureRemoved,
    VolumeDegraded,
    VolumeOffline,
    VolumeHealthy,
    RebuildStarted,
    RebuildFinished,
    DiskAdded,
    DiskRemoved,
};

// "enclosure-added", "volume-degraded", ...
const char* eventName(EventKind kind);

struct Event {
    EventKind kind = EventKind::EnclosureAdded;
    int adapter = 0;
    // The volume's name for volume events, else the device: "controller0",
    // or "controller0:slot1" for a disk.
    std::string subject;
    // For --program: the disk to replace or that came or went ("slot 1, MODEL,
    // serial SERIAL"), the slot a rebuild writes to, or the state after a
    // rebuild; empty when there is nothing to add.
    std::string detail;

    // What notifications say besides.
    std::optional<DiskReading> disk;  // the disk concerned, when known
    std::optional<int> slot;          // a rebuild's target slot
    std::optional<long long> secondsRemaining;
    std::string statusText;  // a volume's status after the event
    // A rebuild whose time left became known: notifications update the
    // rebuild's message; it is not an event of its own.
    bool progressUpdate = false;
};

std::vector<Event> changesBetween(const std::optional<EnclosureReading>& before,
                                  const EnclosureReading& now);

// "slot 1, ST2000DM008, serial ZA1B2C3D"
std::string describeDisk(const DiskReading& disk);

}  // namespace cli
