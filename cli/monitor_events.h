// What changed between two readings, as the monitor's events, judged by the
// one verdict: a volume's event follows a change of its health. The first
// reading has nothing to compare with: it reports only what needs the
// owner's attention. "Healthy" follows only a problem told before, and
// what could not be read is told as such (volume-unknown,
// service-unavailable), never as a volume or enclosure gone.
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
    VolumeUnknown,
    VolumeHealthy,
    RebuildStarted,
    RebuildFinished,
    DiskAdded,
    DiskRemoved,
    ServiceUnavailable,
    // A rebuild passed another fifth of its way.
    RebuildProgress,
    // Asked for with --test: shows that every channel reaches somebody.
    Test,
};

// Every kind, in the order above.
inline constexpr EventKind kEveryEventKind[] = {EventKind::EnclosureAdded,
                                                EventKind::EnclosureRemoved,
                                                EventKind::VolumeDegraded,
                                                EventKind::VolumeOffline,
                                                EventKind::VolumeUnknown,
                                                EventKind::VolumeHealthy,
                                                EventKind::RebuildStarted,
                                                EventKind::RebuildFinished,
                                                EventKind::DiskAdded,
                                                EventKind::DiskRemoved,
                                                EventKind::ServiceUnavailable,
                                                EventKind::RebuildProgress,
                                                EventKind::Test};

// "enclosure-added", "volume-degraded", ...
const char* eventName(EventKind kind);

// The subject of service-unavailable.
inline constexpr const char* kControllerLibrarySubject = "controller-library";

struct Event {
    EventKind kind = EventKind::EnclosureAdded;
    int adapter = 0;
    // The volume's name for volume events ("controller1:NAME" when there is
    // more than one controller), else the device: "controller0", or
    // "controller0:slot1" for a disk.
    std::string subject;
    // For --program: the disk to replace or that came or went ("slot 1, MODEL,
    // serial SERIAL"), the slot a rebuild writes to, the state after a
    // rebuild, or why a volume is unknown; empty when there is nothing to add.
    std::string detail;

    // What notifications say besides.
    std::string volume;               // the volume's name, for volume events
    bool severalControllers = false;  // the texts must say which controller
    std::optional<DiskReading> disk;  // the disk concerned, when known
    std::optional<int> slot;          // a rebuild's target slot
    std::optional<long long> secondsRemaining;
    std::string statusText;  // a volume's status after the event
    // A rebuild whose time left became known: notifications update the
    // rebuild's message; it is not an event of its own.
    bool progressUpdate = false;
    // The volume's state told again, as it has not changed for a while.
    bool reminder = false;
    std::optional<int> progressPercent;  // rebuild-progress
};

std::vector<Event> changesBetween(const std::optional<EnclosureReading>& before,
                                  const EnclosureReading& now);

// What the next reading is compared with: `now`, with what it could not read
// taken from `before` as unknown (volumes of an unreadable list, controllers
// of an unreadable adapter list) or as it was (disks of an unreadable list),
// so that a failed read is never told as something gone.
EnclosureReading carriedForward(const std::optional<EnclosureReading>& before,
                                const EnclosureReading& now);

// A volume event's subject: its name, after "controller1:" when there is
// more than one controller.
std::string volumeSubject(int adapter, const std::string& name, bool severalControllers);

// "slot 1, ST2000DM008, serial ZA1B2C3D"
std::string describeDisk(const DiskReading& disk);

}  // namespace cli
