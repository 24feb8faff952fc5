// The one verdict on the enclosure's health, from one reading: the window's
// icon, `status`, the monitor's events, notifications and the textfile all
// take it from here, so they cannot disagree. Each volume, disk and read
// gives a health; the worst wins. What could not be read is unknown, never
// healthy, and a disk is named only when its own status was read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/enclosure_reading.h"

// From best to worst: a worse health always wins.
enum class Health {
    Ok,          // every volume functional
    Rebuilding,  // a mirror is being rebuilt, nothing worse
    Unknown,     // something could not be read, or nothing was there to read
    Degraded,    // a volume degraded or a disk failed
    Failed,      // a volume offline or failed
};

Health worse(Health a, Health b);
// "ok", "rebuilding", "unknown", "degraded", "failed".
const char* healthKeyword(Health health);

// Why something is not ok.
enum class Concern {
    // The whole reading.
    LibraryProblem,         // the controller library could not be used
    ControllersUnreadable,  // the adapter list could not be read
    NoEnclosure,            // the library lists no enclosure
    // One controller.
    VolumeListUnreadable,
    DiskListUnreadable,
    NoDisks,
    // One volume.
    VolumeRebuilding,
    VolumeDegraded,
    VolumeFailed,
    VolumeStatusUnreadable,
    VolumeStatusUnnamed,  // a status code without a meaning
    VolumeMembersUnreadable,
    // One disk.
    DiskFailed,
    DiskStatusUnreadable,
    DiskStatusUnnamed,
};

struct Finding {
    Health health = Health::Unknown;
    Concern concern = Concern::NoEnclosure;
    std::optional<int> adapter;  // empty for the whole reading
    std::optional<int> volumeId;
    std::string volumeName;  // the volume's display name
    // The disk concerned, or the one to replace; only a disk whose own
    // status was read is ever named.
    std::optional<DiskReading> disk;
    std::optional<int> slot;             // a disk whose status could not be read
    std::optional<int> statusCode;       // a status without a meaning
    std::optional<int> progressPercent;  // a rebuild's
    std::string libraryProblem;          // why the library could not be used
};

// A volume's health from its own reading: its status, and whether its
// status and member disks could be read.
Health volumeHealth(const VolumeReading& volume);
// "functional", "degraded", "offline", "rebuilding", "unknown": a volume's
// state as `status` and the textfile name it.
const char* volumeStateKeyword(Health health);
Health diskHealth(const DiskReading& disk);

struct ControllerVerdict {
    int adapter = 0;
    Health health = Health::Ok;
    std::vector<Finding> findings;  // worst first
};

struct Verdict {
    Health health = Health::Ok;
    std::vector<Finding> findings;  // worst first, over every controller
    std::vector<ControllerVerdict> controllers;
};

ControllerVerdict judgeController(const ControllerReading& controller);
// A reading that saw nothing (no library, no enclosure, no disk) is never ok.
Verdict judgeEnclosure(const EnclosureReading& reading);

// Whether a finding says that something could not be read (rather than
// read as bad): worth another look soon.
bool anythingUnread(const std::vector<Finding>& findings);

// The worst finding's sentence in the session's language, or the healthy one.
std::string verdictText(const std::vector<Finding>& findings);
std::string findingText(const Finding& finding);
