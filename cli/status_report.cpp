#include "cli/status_report.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/health.h"
#include "model/mv_api.h"
#include "model/time_left_text.h"
#include "platform/controls/bundle.h"
#include "platform/controls/byte_count_formatter.h"
#include "platform/controls/string_format.h"
#include "platform/text/printable.h"

namespace cli {

const char* raidModeKeyword(int mode) {
    switch (mode) {
        case MV_LD_MODE_RAID0:
            return "raid0";
        case MV_LD_MODE_RAID1:
            return "raid1";
        default:
            return "unknown";
    }
}

namespace {

std::string localized(const std::string& key) {
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

// Names in a line of its own: hardware gives them, the terminal must not act on them.
class Lines {
  public:
    void add(const std::string& text, const char* indent = "") {
        out_ << indent << platform::printable(text) << "\n";
    }
    std::string str() const { return out_.str(); }

  private:
    std::ostringstream out_;
};

// The plugin line: escaped, and without the bar that starts the perfdata.
std::string oneLine(const std::string& text) {
    std::string line = platform::printable(text);
    for (char& c : line) {
        if (c == '|') {
            c = ' ';
        }
    }
    return line;
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

// A finding's note for the plugin line, in English.
std::string nagiosNote(const Finding& f) {
    const std::string disk = f.disk ? "slot " + std::to_string(f.disk->slot) + ", " +
                                          f.disk->model + ", serial " + f.disk->serial
                                    : std::string();
    const std::string code = " (" + std::to_string(f.statusCode.value_or(0)) + ")";
    const std::string slot =
        "disk in slot " + std::to_string(f.disk ? f.disk->slot : f.slot.value_or(0));
    switch (f.concern) {
        case Concern::LibraryProblem:
            return f.libraryProblem;
        case Concern::ControllersUnreadable:
            return "controller list unreadable";
        case Concern::NoEnclosure:
            return "no enclosure found";
        case Concern::VolumeListUnreadable:
            return "volume list unreadable";
        case Concern::DiskListUnreadable:
            return "disk list unreadable";
        case Concern::NoDisks:
            return "no disk";
        case Concern::VolumeRebuilding:
            return f.volumeName + " rebuilding " + std::to_string(f.progressPercent.value_or(0)) +
                   "%";
        case Concern::VolumeDegraded:
            return f.volumeName + " degraded" + (f.disk ? " (replace " + disk + ")" : "");
        case Concern::VolumeFailed:
            return f.volumeName + " offline" + (f.disk ? " (" + disk + " failed)" : "");
        case Concern::VolumeStatusUnreadable:
            return f.volumeName + " status unreadable";
        case Concern::VolumeStatusUnnamed:
            return f.volumeName + " status unknown" + code;
        case Concern::VolumeMembersUnreadable:
            return f.volumeName + " member disks unreadable";
        case Concern::DiskFailed:
            return slot + " offline (" +
                   (f.disk ? f.disk->model + ", serial " + f.disk->serial : std::string()) + ")";
        case Concern::DiskStatusUnreadable:
            return slot + " status unreadable";
        case Concern::DiskStatusUnnamed:
            return slot + " status unknown" + code;
    }
    return {};
}

// With more than one enclosure, each finding says which controller.
std::string controllerPrefix(const Finding& f, bool several, const std::string& format) {
    if (!several || !f.adapter) {
        return {};
    }
    return platform::formatString(format, {*f.adapter});
}

}  // namespace

std::string statusText(const EnclosureReading& reading, const Verdict& verdict) {
    Lines out;
    for (const ControllerReading& c : reading.controllers) {
        out.add(platform::formatString(localized("STATUS_CONTROLLER"), {c.adapter}));
        for (const VolumeReading& v : c.volumes) {
            std::string status = v.statusText;
            if (v.progressPercent) {
                status += " (" + std::to_string(*v.progressPercent) + "%)";
            }
            if (v.secondsRemaining) {
                status += ", " + platform::formatString(localized("TIME_LEFT"),
                                                        {timeLeftText(*v.secondsRemaining)});
            }
            out.add(platform::formatString(localized("STATUS_VOLUME"),
                                           {v.displayName(), v.modeText, bytes(v.capacityBytes),
                                            status, slotList(v.memberSlots)}),
                    "  ");
        }
        for (const DiskReading& d : c.disks) {
            out.add(platform::formatString(
                        localized("STATUS_DISK"),
                        {d.slot, d.model, d.serial, bytes(d.capacityBytes), d.statusText}),
                    "  ");
        }
    }
    out.add(
        platform::formatString(localized("STATUS_OVERALL"),
                               {localized(std::string("STATE_") + healthKeyword(verdict.health))}));
    // Why, worst first.
    const bool several = reading.controllers.size() > 1;
    for (const Finding& f : verdict.findings) {
        out.add(
            controllerPrefix(f, several, localized("STATUS_CONTROLLER_PREFIX")) + findingText(f),
            "  ");
    }
    return out.str();
}

std::string statusJson(const EnclosureReading& reading,
                       const Verdict& verdict,
                       const std::string& rebuildEstimateProblem) {
    using nlohmann::ordered_json;
    const auto orNull = [](const auto& value) {
        return value ? ordered_json(*value) : ordered_json(nullptr);
    };
    ordered_json root;
    root["output_version"] = 1;
    root["state"] = healthKeyword(verdict.health);
    root["problem"] = reading.libraryProblem.empty() ? ordered_json(nullptr)
                                                     : ordered_json(reading.libraryProblem);
    root["rebuild_estimate_problem"] = rebuildEstimateProblem.empty()
                                           ? ordered_json(nullptr)
                                           : ordered_json(rebuildEstimateProblem);
    root["controller_list_read"] = reading.controllersRead;
    root["controllers"] = ordered_json::array();
    for (std::size_t i = 0; i < reading.controllers.size(); ++i) {
        const ControllerReading& c = reading.controllers[i];
        ordered_json controller;
        controller["adapter"] = c.adapter;
        controller["state"] = healthKeyword(verdict.controllers.at(i).health);
        controller["volume_list_read"] = c.volumesRead;
        controller["disk_list_read"] = c.disksRead;
        controller["volumes"] = ordered_json::array();
        for (const VolumeReading& v : c.volumes) {
            ordered_json volume;
            volume["id"] = v.id;
            volume["name"] = orNull(v.name);
            volume["raid_mode"] = raidModeKeyword(v.mode);
            volume["status"] = volumeStateKeyword(volumeHealth(v));
            volume["status_code"] = orNull(v.status);
            volume["status_text"] = v.statusText;
            volume["progress_percent"] = orNull(v.progressPercent);
            volume["rebuild_seconds_remaining"] = orNull(v.secondsRemaining);
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
            disk["status_code"] = orNull(d.status);
            disk["status_text"] = d.statusText;
            controller["disks"].push_back(std::move(disk));
        }
        root["controllers"].push_back(std::move(controller));
    }
    root["reasons"] = ordered_json::array();
    for (const Finding& f : verdict.findings) {
        ordered_json reason;
        reason["state"] = healthKeyword(f.health);
        reason["reason"] = concernKeyword(f.concern);
        reason["controller"] = orNull(f.adapter);
        reason["volume_id"] = orNull(f.volumeId);
        reason["slot"] = f.disk ? ordered_json(f.disk->slot) : orNull(f.slot);
        reason["text"] = findingText(f);
        root["reasons"].push_back(std::move(reason));
    }
    // Names are hardware's bytes: never let an invalid one stop the report.
    return root.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

std::string nagiosLine(const EnclosureReading& reading, const Verdict& verdict) {
    int volumes = 0, degraded = 0, failed = 0, rebuilding = 0, disks = 0, failedDisks = 0;
    std::string perfdata;
    for (const ControllerReading& c : reading.controllers) {
        for (const VolumeReading& v : c.volumes) {
            ++volumes;
            switch (volumeHealth(v)) {
                case Health::Degraded:
                    ++degraded;
                    break;
                case Health::Failed:
                    ++failed;
                    break;
                case Health::Rebuilding:
                    ++rebuilding;
                    break;
                default:
                    break;
            }
            if (v.progressPercent) {
                perfdata += " " + perfLabel(v.displayName() + " rebuild") + "=" +
                            std::to_string(*v.progressPercent) + "%;;;0;100";
            }
        }
        for (const DiskReading& d : c.disks) {
            ++disks;
            failedDisks += diskHealth(d) == Health::Degraded ? 1 : 0;
        }
    }
    std::vector<std::string> notes;
    if (!reading.controllers.empty()) {
        notes.push_back(std::to_string(volumes) + (volumes == 1 ? " volume, " : " volumes, ") +
                        std::to_string(disks) + (disks == 1 ? " disk" : " disks"));
    }
    const bool several = reading.controllers.size() > 1;
    for (const Finding& f : verdict.findings) {
        notes.push_back(oneLine(controllerPrefix(f, several, "controller %d: ") + nagiosNote(f)));
    }
    std::string summary;
    for (const std::string& note : notes) {
        summary += (summary.empty() ? "" : "; ") + note;
    }
    std::string line =
        std::string("NORVIK RAID ") + pluginStatus(verdict.health) + " - " + summary +
        " | volumes=" + std::to_string(volumes) + " degraded=" + std::to_string(degraded) +
        " offline=" + std::to_string(failed) + " rebuilding=" + std::to_string(rebuilding) +
        " failed_disks=" + std::to_string(failedDisks) + perfdata;
    return line + "\n";
}

}  // namespace cli
