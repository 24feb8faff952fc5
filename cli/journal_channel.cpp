#include "cli/journal_channel.h"

#include <sys/uio.h>
#include <systemd/sd-journal.h>

#include <cstring>
#include <ostream>

#include "cli/notification_text.h"
#include "cli/texts.h"
#include "platform/text/printable.h"

namespace cli {

const char* journalMessageId(EventKind kind) {
    switch (kind) {
        case EventKind::EnclosureAdded:
            return "e2b616ce65a74db9a87ef117be8d9006";
        case EventKind::EnclosureRemoved:
            return "b0008cab171f468f86890f46026654cb";
        case EventKind::VolumeDegraded:
            return "b7ddebcff9be421f8f36f0677988a4f2";
        case EventKind::VolumeOffline:
            return "1665e3e7315046218aaf3a6197bb61a1";
        case EventKind::VolumeUnknown:
            return "e597fb18c85a4ba381f33c319d0dc49a";
        case EventKind::VolumeHealthy:
            return "4f2ed9aa5d844369bad6367924279c97";
        case EventKind::RebuildStarted:
            return "bfabdc7ca3544aaaa3cbaf6737a32b39";
        case EventKind::RebuildFinished:
            return "cf75e5062e044d30b5734f6d47164fc9";
        case EventKind::DiskAdded:
            return "98ce3ee3fed2497ebb9f49cd13704a60";
        case EventKind::DiskRemoved:
            return "8ff014df5d8e494994f6e2d327a99b30";
        case EventKind::ServiceUnavailable:
            return "5b6049f1ffd1426ba3afae23c3c9f239";
        case EventKind::RebuildProgress:
            return "7ab8d79ce24c4ee7b9930f10c8d46887";
        case EventKind::Test:
            return "901585fd3ab645379fb42e30cec8f0fb";
    }
    return "";
}

int journalPriority(EventKind kind) {
    switch (kind) {
        case EventKind::VolumeDegraded:
        case EventKind::VolumeOffline:
            return 2;
        case EventKind::VolumeUnknown:
        case EventKind::ServiceUnavailable:
            return 4;
        default:
            return 5;
    }
}

std::vector<JournalField> journalFields(const Event& e) {
    const NotificationText words = notificationFor(e);
    std::vector<JournalField> fields{
        {"MESSAGE", platform::printable(words.summary + ": " + words.body)},
        {"MESSAGE_ID", journalMessageId(e.kind)},
        {"PRIORITY", std::to_string(journalPriority(e.kind))},
        {"SYSLOG_IDENTIFIER", "norvik-raid"},
        {"NORVIK_RAID_EVENT", eventName(e.kind)},
        {"NORVIK_RAID_SUBJECT", e.subject},
    };
    if (e.subject != kControllerLibrarySubject) {
        fields.push_back({"NORVIK_RAID_CONTROLLER", std::to_string(e.adapter)});
    }
    if (!e.volume.empty()) {
        fields.push_back({"NORVIK_RAID_VOLUME", e.volume});
    }
    if (e.disk) {
        fields.push_back({"NORVIK_RAID_DISK_SLOT", std::to_string(e.disk->slot)});
        fields.push_back({"NORVIK_RAID_DISK_MODEL", e.disk->model});
        fields.push_back({"NORVIK_RAID_DISK_SERIAL", e.disk->serial});
    } else if (e.slot) {
        fields.push_back({"NORVIK_RAID_DISK_SLOT", std::to_string(*e.slot)});
    }
    if (!e.detail.empty()) {
        fields.push_back({"NORVIK_RAID_DETAIL", e.detail});
    }
    if (e.progressPercent) {
        fields.push_back({"NORVIK_RAID_PROGRESS_PERCENT", std::to_string(*e.progressPercent)});
    }
    if (e.secondsRemaining) {
        fields.push_back({"NORVIK_RAID_SECONDS_REMAINING", std::to_string(*e.secondsRemaining)});
    }
    if (e.reminder) {
        fields.push_back({"NORVIK_RAID_REMINDER", "1"});
    }
    return fields;
}

void JournalChannel::send(const Event& event) {
    if (event.progressUpdate) {
        return;
    }
    std::vector<std::string> assignments;
    for (const JournalField& field : journalFields(event)) {
        assignments.push_back(field.name + "=" + field.value);
    }
    std::vector<iovec> entry;
    for (std::string& assignment : assignments) {
        entry.push_back({assignment.data(), assignment.size()});
    }
    const int r = sd_journal_sendv(entry.data(), static_cast<int>(entry.size()));
    if (r < 0 && !failureTold_) {
        err_ << "norvik-raid monitor: " << text("CLI_NO_JOURNAL", {std::strerror(-r)}) << "\n";
        failureTold_ = true;
    } else if (r >= 0) {
        failureTold_ = false;
    }
}

}  // namespace cli
