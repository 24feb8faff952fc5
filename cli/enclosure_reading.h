// One reading of the enclosure: what every controller's model objects say
// now, copied into plain values so that readings can be kept, compared and
// printed after the objects are gone. Each live value is asked of the
// library once per reading.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct DiskReading {
    int hdid = 0;
    int slot = 0;
    std::string model;
    std::string serial;
    std::uint64_t capacityBytes = 0;
    int status = 0;  // MV_HD_STATUS_* bits
    std::string statusText;
};

struct VolumeReading {
    int id = 0;
    std::optional<std::string> name;  // empty when the stored name is not UTF-8
    int mode = 0;
    std::string modeText;
    int status = 0;  // as MarvellRAIDSet::status()
    std::string statusText;
    std::optional<int> progressPercent;  // while rebuilding
    std::optional<long long> secondsRemaining;
    std::uint64_t capacityBytes = 0;
    std::vector<int> memberSlots;  // ascending

    // The name, or the string table's stand-in when it cannot be shown.
    std::string displayName() const;
};

struct ControllerReading {
    int adapter = 0;
    std::vector<VolumeReading> volumes;
    std::vector<DiskReading> disks;  // every disk, members included
};

struct EnclosureReading {
    // Empty, or why the controller library could not be used at all.
    std::string libraryProblem;
    std::vector<ControllerReading> controllers;
};

// Reads every controller the bound controller library lists.
EnclosureReading readEnclosure();

}  // namespace cli
