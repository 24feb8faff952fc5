// Events as the monitor hands them to its channels, built by hand.
#pragma once

#include <string>

#include "cli/monitor_events.h"

namespace cli::testing {

// The mirror `volume` lost the disk in slot 1.
inline Event degradedMirror(const std::string& volume = "Norvik Duo") {
    Event e;
    e.kind = EventKind::VolumeDegraded;
    e.subject = volume;
    e.volume = volume;
    DiskReading disk;
    disk.slot = 1;
    disk.model = "NORVIK ND2T-S";
    disk.serial = "NVD7K30001";
    e.disk = disk;
    e.detail = "slot 1, NORVIK ND2T-S, serial NVD7K30001";
    return e;
}

}  // namespace cli::testing
