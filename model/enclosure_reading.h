// One reading of the enclosure: what every controller's model objects say
// now, copied into plain values so that readings can be kept, compared,
// judged and printed after the objects are gone. Each live value is asked of
// the library once per reading, and every read says whether it worked: a list
// that could not be walked, or a status the controller would not give, stays
// "could not be read", never "none" or "offline".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class MarvellController;

struct DiskReading {
    int hdid = 0;
    int slot = 0;
    std::string model;
    std::string serial;
    std::uint64_t capacityBytes = 0;
    std::optional<int> status;  // MV_HD_STATUS_* bits; empty when it could not be read
    std::string statusText;
};

struct VolumeReading {
    int id = 0;
    std::optional<std::string> name;  // empty when the stored name is not UTF-8
    int mode = 0;
    std::string modeText;
    std::optional<int> status;  // as MarvellRAIDSet::status(); empty when it could not be read
    std::string statusText;
    std::optional<int> progressPercent;  // while rebuilding
    std::optional<long long> secondsRemaining;
    std::uint64_t capacityBytes = 0;
    std::vector<int> memberSlots;  // ascending
    bool membersRead = true;       // every member block could be looked up

    // The name, or the string table's stand-in when it cannot be shown.
    std::string displayName() const;
};

struct ControllerReading {
    int adapter = 0;
    std::vector<VolumeReading> volumes;
    std::vector<DiskReading> disks;  // every disk, members included
    // Whether the RAID set and disk walks reached their end; a walk that
    // stopped keeps what it had listed.
    bool volumesRead = true;
    bool disksRead = true;
};

struct EnclosureReading {
    // Empty, or why the controller library could not be used at all.
    std::string libraryProblem;
    std::vector<ControllerReading> controllers;
    // False when the adapter count or an adapter's record could not be read.
    bool controllersRead = true;
};

// Walks every controller the bound controller library lists and reads it.
EnclosureReading readEnclosure();

// What the last walks of a controller returned (0: reached the end).
struct WalkStatuses {
    std::uint8_t disks = 0;
    std::uint8_t raidSets = 0;
};
// Walks the controller's disks and RAID sets; their statuses.
WalkStatuses walkController(MarvellController& controller);
// The controller as its last walks left it, every status read now.
ControllerReading readController(const MarvellController& controller, WalkStatuses walks);
