#include "cli/textfile_export.h"

#include <map>
#include <set>
#include <sstream>

#include "cli/atomic_file.h"
#include "cli/health.h"
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
std::vector<std::pair<Labels, const VolumeReading*>> labelledVolumes(
    const EnclosureReading& reading) {
    std::vector<std::pair<Labels, const VolumeReading*>> volumes;
    for (const ControllerReading& c : reading.controllers) {
        std::set<std::string> seen;
        for (const VolumeReading& v : c.volumes) {
            std::string name = v.displayName();
            if (!seen.insert(name).second) {
                name += " (" + std::to_string(v.id) + ")";
            }
            volumes.push_back({{std::to_string(c.adapter), escapeLabelValue(name)}, &v});
        }
    }
    return volumes;
}

std::string volumeLabels(const Labels& l) {
    return "controller=\"" + l.controller + "\",volume=\"" + l.volume + "\"";
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
    for (const auto& [labels, v] : volumes) {
        const std::string current = volumeStateKeyword(volumeHealth(*v));
        for (const char* state : kVolumeStates) {
            out << "norvik_raid_volume_state{" << volumeLabels(labels) << ",state=\"" << state
                << "\"} " << (current == state ? 1 : 0) << "\n";
        }
    }

    header(out, "norvik_raid_volume_rebuild_progress_ratio",
           "Share of a running rebuild that is done, from 0 to 1.");
    for (const auto& [labels, v] : volumes) {
        if (v->progressPercent) {
            out << "norvik_raid_volume_rebuild_progress_ratio{" << volumeLabels(labels) << "} "
                << *v->progressPercent / 100.0 << "\n";
        }
    }

    header(out, "norvik_raid_volume_rebuild_seconds_remaining",
           "Estimated seconds until a running rebuild ends, once its rate is steady.");
    for (const auto& [labels, v] : volumes) {
        if (v->secondsRemaining) {
            out << "norvik_raid_volume_rebuild_seconds_remaining{" << volumeLabels(labels) << "} "
                << *v->secondsRemaining << "\n";
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
