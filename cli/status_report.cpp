#include "cli/status_report.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "model/mv_api.h"
#include "model/time_left_text.h"
#include "platform/controls/bundle.h"
#include "platform/controls/byte_count_formatter.h"
#include "platform/controls/string_format.h"

namespace cli {

namespace {

std::string localized(const char* key) {
    return platform::Bundle::mainBundle().localizedString(key);
}

std::string bytes(std::uint64_t count) {
    return platform::ByteCountFormatter::stringFromByteCount(
        static_cast<std::int64_t>(count), platform::ByteCountFormatter::CountStyle::File);
}

std::string slotList(const std::vector<int>& slots) {
    std::string text;
    for (const int slot : slots) {
        text += (text.empty() ? "" : ", ") + std::to_string(slot);
    }
    return text;
}

const char* modeKeyword(int mode) {
    switch (mode) {
        case MV_LD_MODE_RAID0:
            return "raid0";
        case MV_LD_MODE_RAID1:
            return "raid1";
        default:
            return "unknown";
    }
}

// Hardware gives the names; keep them from breaking the one-line format.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '|' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

// Perfdata labels are quoted; a quote inside is doubled, '=' is not allowed.
std::string perfLabel(const std::string& text) {
    std::string label = "'";
    for (const char c : oneLine(text)) {
        if (c == '\'') {
            label += "''";
        } else {
            label += c == '=' ? '_' : c;
        }
    }
    return label + "'";
}

}  // namespace

std::string statusText(const EnclosureReading& reading, Health health) {
    std::ostringstream out;
    if (!reading.libraryProblem.empty()) {
        out << reading.libraryProblem << "\n";
    }
    if (reading.controllers.empty()) {
        out << localized("STATUS_NO_ENCLOSURE") << "\n";
    }
    for (const ControllerReading& c : reading.controllers) {
        out << platform::formatString(localized("STATUS_CONTROLLER"), {c.adapter}) << "\n";
        for (const VolumeReading& v : c.volumes) {
            std::string status = v.statusText;
            if (v.progressPercent) {
                status += " (" + std::to_string(*v.progressPercent) + "%)";
            }
            if (v.secondsRemaining) {
                status += ", " + platform::formatString(localized("TIME_LEFT"),
                                                        {timeLeftText(*v.secondsRemaining)});
            }
            out << "  "
                << platform::formatString(localized("STATUS_VOLUME"),
                                          {v.displayName(), v.modeText, bytes(v.capacityBytes),
                                           status, slotList(v.memberSlots)})
                << "\n";
        }
        for (const DiskReading& d : c.disks) {
            out << "  "
                << platform::formatString(
                       localized("STATUS_DISK"),
                       {d.slot, d.model, d.serial, bytes(d.capacityBytes), d.statusText})
                << "\n";
        }
    }
    out << platform::formatString(localized("STATUS_OVERALL"),
                                  {localized((std::string("STATE_") + keyword(health)).c_str())})
        << "\n";
    return out.str();
}

std::string statusJson(const EnclosureReading& reading,
                       Health health,
                       const std::string& rebuildEstimateProblem) {
    using nlohmann::ordered_json;
    ordered_json root;
    root["output_version"] = 1;
    root["state"] = keyword(health);
    root["problem"] = reading.libraryProblem.empty() ? ordered_json(nullptr)
                                                     : ordered_json(reading.libraryProblem);
    root["rebuild_estimate_problem"] = rebuildEstimateProblem.empty()
                                           ? ordered_json(nullptr)
                                           : ordered_json(rebuildEstimateProblem);
    root["controllers"] = ordered_json::array();
    for (const ControllerReading& c : reading.controllers) {
        ordered_json controller;
        controller["adapter"] = c.adapter;
        controller["volumes"] = ordered_json::array();
        for (const VolumeReading& v : c.volumes) {
            ordered_json volume;
            volume["id"] = v.id;
            volume["name"] = v.name ? ordered_json(*v.name) : ordered_json(nullptr);
            volume["raid_mode"] = modeKeyword(v.mode);
            volume["status"] = volumeStatusKeyword(v.status);
            volume["status_code"] = v.status;
            volume["status_text"] = v.statusText;
            volume["progress_percent"] =
                v.progressPercent ? ordered_json(*v.progressPercent) : ordered_json(nullptr);
            volume["rebuild_seconds_remaining"] =
                v.secondsRemaining ? ordered_json(*v.secondsRemaining) : ordered_json(nullptr);
            volume["capacity_bytes"] = v.capacityBytes;
            volume["member_slots"] = v.memberSlots;
            controller["volumes"].push_back(std::move(volume));
        }
        controller["disks"] = ordered_json::array();
        for (const DiskReading& d : c.disks) {
            ordered_json disk;
            disk["slot"] = d.slot;
            disk["model"] = d.model;
            disk["serial"] = d.serial;
            disk["capacity_bytes"] = d.capacityBytes;
            disk["status"] = diskStatusKeyword(d.status);
            disk["status_code"] = d.status;
            disk["status_text"] = d.statusText;
            controller["disks"].push_back(std::move(disk));
        }
        root["controllers"].push_back(std::move(controller));
    }
    // Names are hardware's bytes: never let an invalid one stop the report.
    return root.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

std::string nagiosLine(const EnclosureReading& reading, Health health) {
    int volumes = 0, degraded = 0, failed = 0, rebuilding = 0, disks = 0, failedDisks = 0;
    std::vector<std::string> notes;
    std::string perfdata;
    for (const ControllerReading& c : reading.controllers) {
        for (const VolumeReading& v : c.volumes) {
            ++volumes;
            const std::string name = oneLine(v.displayName());
            switch (v.status) {
                case MV_LD_STATUS_DEGRADE:
                    ++degraded;
                    notes.push_back(name + " degraded");
                    break;
                case MV_LD_STATUS_OFFLINE:
                    ++failed;
                    notes.push_back(name + " offline");
                    break;
                case MV_LD_STATUS_FUNCTIONAL:
                    break;
                default:
                    if (v.progressPercent) {
                        ++rebuilding;
                        notes.push_back(name + " rebuilding " + std::to_string(*v.progressPercent) +
                                        "%");
                        perfdata += " " + perfLabel(name + " rebuild") + "=" +
                                    std::to_string(*v.progressPercent) + "%;;;0;100";
                    } else {
                        notes.push_back(name + " status unknown (" + std::to_string(v.status) +
                                        ")");
                    }
            }
        }
        for (const DiskReading& d : c.disks) {
            ++disks;
            if (d.status & MV_HD_STATUS_OFFLINE) {
                ++failedDisks;
                notes.push_back("disk in slot " + std::to_string(d.slot) + " offline (" +
                                oneLine(d.model) + ", serial " + oneLine(d.serial) + ")");
            }
        }
    }
    std::string summary;
    if (reading.controllers.empty()) {
        summary =
            reading.libraryProblem.empty() ? "no enclosure found" : oneLine(reading.libraryProblem);
    } else {
        summary = std::to_string(volumes) + (volumes == 1 ? " volume, " : " volumes, ") +
                  std::to_string(disks) + (disks == 1 ? " disk" : " disks");
        for (const std::string& note : notes) {
            summary += "; " + note;
        }
    }
    std::string line =
        std::string("NORVIK RAID ") + pluginStatus(health) + " - " + summary +
        " | volumes=" + std::to_string(volumes) + " degraded=" + std::to_string(degraded) +
        " offline=" + std::to_string(failed) + " rebuilding=" + std::to_string(rebuilding) +
        " failed_disks=" + std::to_string(failedDisks) + perfdata;
    return line + "\n";
}

}  // namespace cli
