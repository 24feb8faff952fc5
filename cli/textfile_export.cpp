#include "cli/textfile_export.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "cli/atomic_file.h"
#include "cli/health.h"
#include "cli/status_report.h"
#include "model/health_verdict.h"

namespace cli {

std::string escapeLabelValue(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '"':
                escaped += "\\\"";
                break;
            case '\n':
                escaped += "\\n";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

namespace {

const char* const kStates[] = {"ok", "rebuilding", "unknown", "degraded", "failed"};
const char* const kVolumeStates[] = {"functional", "degraded", "offline", "rebuilding", "unknown"};
const char* const kDiskStates[] = {"free",           "assigned",        "spare",  "offline",
                                   "smart-checking", "dedicated-spare", "unknown"};

void header(std::ostream& out, const char* name, const char* help) {
    out << "# HELP " << name << " " << help << "\n# TYPE " << name << " gauge\n";
}

struct Labels {
    std::string controller;
    std::string volume;
};

// Two volumes of one controller may carry the same name; their series must differ.
struct LabelledVolume {
    Labels labels;
    const VolumeReading* volume;
    const ControllerReading* controller;
};

std::vector<LabelledVolume> labelledVolumes(const EnclosureReading& reading) {
    std::vector<LabelledVolume> volumes;
    for (const ControllerReading& c : reading.controllers) {
        std::set<std::string> seen;
        for (const VolumeReading& v : c.volumes) {
            std::string name = v.displayName();
            if (!seen.insert(name).second) {
                name += " (" + std::to_string(v.id) + ")";
            }
            volumes.push_back({{std::to_string(c.adapter), escapeLabelValue(name)}, &v, &c});
        }
    }
    return volumes;
}

std::string volumeLabels(const Labels& l) {
    return "controller=\"" + l.controller + "\",volume=\"" + l.volume + "\"";
}

// Every layout of the two-slot enclosure spans both of its disks.
constexpr int kDisksPerVolume = 2;

// The members that serve the volume's data now, as software RAID counts
// its active disks: all of them when it is functional, not the one a
// rebuild writes to, only those read as working when it is degraded or
// offline; nothing when its state is unknown.
std::optional<int> activeDisks(const ControllerReading& c, const VolumeReading& v) {
    switch (volumeHealth(v)) {
        case Health::Ok:
            return kDisksPerVolume;
        case Health::Rebuilding:
            return kDisksPerVolume - 1;
        case Health::Unknown:
            return std::nullopt;
        case Health::Degraded:
        case Health::Failed:
            break;
    }
    int working = 0;
    for (const int slot : v.memberSlots) {
        for (const DiskReading& d : c.disks) {
            if (d.slot == slot && diskHealth(d) == Health::Ok) {
                ++working;
            }
        }
    }
    return std::min(working, kDisksPerVolume - 1);
}

}  // namespace

std::string promText(const EnclosureReading& reading) {
    std::ostringstream out;
    const auto volumes = labelledVolumes(reading);

    const Verdict verdict = judgeEnclosure(reading);
    header(out, "norvik_raid_up",
           "1 when the controller library answered with at least one enclosure.");
    out << "norvik_raid_up " << (reading.controllers.empty() ? 0 : 1) << "\n";

    header(out, "norvik_raid_state", "1 for the state of the whole enclosure, 0 for the others.");
    for (const char* state : kStates) {
        out << "norvik_raid_state{state=\"" << state << "\"} "
            << (healthKeyword(verdict.health) == std::string(state) ? 1 : 0) << "\n";
    }

    header(out, "norvik_raid_volume_state", "1 for the state each volume is in, 0 for the others.");
    for (const auto& [labels, v, c] : volumes) {
        const std::string current = volumeStateKeyword(volumeHealth(*v));
        for (const char* state : kVolumeStates) {
            out << "norvik_raid_volume_state{" << volumeLabels(labels) << ",state=\"" << state
                << "\"} " << (current == state ? 1 : 0) << "\n";
        }
    }

    header(out, "norvik_raid_volume_rebuild_progress_ratio",
           "Share of a running rebuild that is done, from 0 to 1.");
    for (const auto& [labels, v, c] : volumes) {
        if (v->progressPercent) {
            out << "norvik_raid_volume_rebuild_progress_ratio{" << volumeLabels(labels) << "} "
                << *v->progressPercent / 100.0 << "\n";
        }
    }

    header(out, "norvik_raid_volume_rebuild_seconds_remaining",
           "Estimated seconds until a running rebuild ends, once its rate is steady.");
    for (const auto& [labels, v, c] : volumes) {
        if (v->secondsRemaining) {
            out << "norvik_raid_volume_rebuild_seconds_remaining{" << volumeLabels(labels) << "} "
                << *v->secondsRemaining << "\n";
        }
    }

    header(out, "norvik_raid_volume_size_bytes", "Capacity of each volume in bytes.");
    for (const auto& [labels, v, c] : volumes) {
        out << "norvik_raid_volume_size_bytes{" << volumeLabels(labels) << "} " << v->capacityBytes
            << "\n";
    }

    header(out, "norvik_raid_volume_info", "1 for each volume, with its RAID level.");
    for (const auto& [labels, v, c] : volumes) {
        out << "norvik_raid_volume_info{" << volumeLabels(labels) << ",level=\""
            << raidModeKeyword(v->mode) << "\"} 1\n";
    }

    header(out, "norvik_raid_volume_disks_required",
           "Number of disks the volume needs to keep all its copies.");
    for (const auto& [labels, v, c] : volumes) {
        out << "norvik_raid_volume_disks_required{" << volumeLabels(labels) << "} "
            << kDisksPerVolume << "\n";
    }

    header(out, "norvik_raid_volume_disks_active",
           "Number of the volume's disks that serve its data now.");
    for (const auto& [labels, v, c] : volumes) {
        if (const auto active = activeDisks(*c, *v)) {
            out << "norvik_raid_volume_disks_active{" << volumeLabels(labels) << "} " << *active
                << "\n";
        }
    }

    header(out, "norvik_raid_disks", "Number of disks of each controller in each state.");
    for (const ControllerReading& c : reading.controllers) {
        std::map<std::string, int> counts;
        for (const DiskReading& d : c.disks) {
            ++counts[diskStatusKeyword(d.status)];
        }
        for (const char* state : kDiskStates) {
            out << "norvik_raid_disks{controller=\"" << c.adapter << "\",state=\"" << state
                << "\"} " << counts[state] << "\n";
        }
    }
    return out.str();
}

std::string TextfileExport::write(const EnclosureReading& reading) const {
    return writeFileAtomically(file_, promText(reading));
}

}  // namespace cli
