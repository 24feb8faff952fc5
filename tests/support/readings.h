// Readings of a small enclosure, built by hand: a mirror "Duo" (ID 1) over
// the disks in slots 0 and 1 of controller 0, unless the test says otherwise.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/enclosure_reading.h"
#include "model/mv_api.h"

namespace readings {

inline DiskReading disk(int slot, std::optional<int> status = MV_HD_STATUS_ASSIGNED) {
    DiskReading d;
    d.slot = slot;
    d.hdid = slot + 1;
    d.model = "M";
    d.serial = "S" + std::to_string(slot);
    d.status = status;
    return d;
}

inline VolumeReading mirror(std::optional<int> status, std::vector<int> slots = {0, 1}) {
    VolumeReading v;
    v.id = 1;
    v.name = "Duo";
    v.status = status;
    v.memberSlots = std::move(slots);
    return v;
}

inline ControllerReading controller(std::vector<VolumeReading> volumes,
                                    std::vector<DiskReading> disks = {disk(0), disk(1)},
                                    int adapter = 0) {
    ControllerReading c;
    c.adapter = adapter;
    c.volumes = std::move(volumes);
    c.disks = std::move(disks);
    return c;
}

inline EnclosureReading reading(std::vector<ControllerReading> controllers,
                                bool controllersRead = true,
                                std::string libraryProblem = {}) {
    EnclosureReading r;
    r.controllers = std::move(controllers);
    r.controllersRead = controllersRead;
    r.libraryProblem = std::move(libraryProblem);
    return r;
}

}  // namespace readings
