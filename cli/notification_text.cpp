#include "cli/notification_text.h"

#include "model/time_left_text.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

namespace cli {

namespace {

std::string text(const std::string& key, std::initializer_list<platform::FormatArg> args = {}) {
    return platform::formatString(platform::Bundle::mainBundle().localizedString(key), args);
}

// The volume events name the disk to replace when it is known.
NotificationText aboutLostDisk(const Event& e, const char* what) {
    const std::string prefix = std::string("NOTIFY_VOLUME_") + what;
    NotificationText n{text(prefix + "_TITLE", {e.volume}), {}, true};
    n.body = e.disk ? text(prefix + "_BODY", {e.disk->slot, e.disk->model, e.disk->serial})
                    : text(prefix + "_NO_DISK_BODY");
    return n;
}

NotificationText describe(const Event& e) {
    switch (e.kind) {
        case EventKind::EnclosureAdded:
            return {text("NOTIFY_ENCLOSURE_ADDED_TITLE"),
                    text("NOTIFY_ENCLOSURE_ADDED_BODY", {e.subject})};
        case EventKind::EnclosureRemoved:
            return {text("NOTIFY_ENCLOSURE_REMOVED_TITLE"),
                    text("NOTIFY_ENCLOSURE_REMOVED_BODY", {e.subject})};
        case EventKind::VolumeDegraded:
            return aboutLostDisk(e, "DEGRADED");
        case EventKind::VolumeOffline:
            return aboutLostDisk(e, "OFFLINE");
        case EventKind::VolumeUnknown:
            // The list could not be read: there is no volume to name.
            return e.volume.empty()
                       ? NotificationText{text("NOTIFY_VOLUMES_UNKNOWN_TITLE"),
                                          text("NOTIFY_VOLUMES_UNKNOWN_BODY"), true}
                       : NotificationText{text("NOTIFY_VOLUME_UNKNOWN_TITLE", {e.volume}),
                                          text("NOTIFY_VOLUME_UNKNOWN_BODY"), true};
        case EventKind::VolumeHealthy:
            return {text("NOTIFY_VOLUME_HEALTHY_TITLE", {e.volume}),
                    text("NOTIFY_VOLUME_HEALTHY_BODY")};
        case EventKind::RebuildStarted: {
            const std::string timeLeft =
                e.secondsRemaining ? text("TIME_LEFT", {timeLeftText(*e.secondsRemaining)}) : "";
            std::string body;
            if (e.slot) {
                body = e.secondsRemaining
                           ? text("NOTIFY_REBUILD_STARTED_TIME_BODY", {*e.slot, timeLeft})
                           : text("NOTIFY_REBUILD_STARTED_BODY", {*e.slot});
            } else {
                body = e.secondsRemaining ? text("NOTIFY_REBUILD_RUNNING_TIME_BODY", {timeLeft})
                                          : text("NOTIFY_REBUILD_RUNNING_BODY");
            }
            return {text("NOTIFY_REBUILD_STARTED_TITLE", {e.volume}), std::move(body)};
        }
        case EventKind::RebuildFinished:
            return {text("NOTIFY_REBUILD_FINISHED_TITLE", {e.volume}),
                    text("NOTIFY_REBUILD_FINISHED_BODY", {e.statusText})};
        case EventKind::DiskAdded:
        case EventKind::DiskRemoved: {
            const std::string key =
                e.kind == EventKind::DiskAdded ? "NOTIFY_DISK_ADDED" : "NOTIFY_DISK_REMOVED";
            const DiskReading disk = e.disk.value_or(DiskReading{});
            return {text(key + "_TITLE"),
                    text(key + "_BODY", {disk.slot, disk.model, disk.serial})};
        }
        case EventKind::ServiceUnavailable:
            return {text("NOTIFY_SERVICE_UNAVAILABLE_TITLE"),
                    text("NOTIFY_SERVICE_UNAVAILABLE_BODY"), true};
        case EventKind::RebuildProgress: {
            const int percent = e.progressPercent.value_or(0);
            return {text("NOTIFY_REBUILD_PROGRESS_TITLE", {e.volume}),
                    e.secondsRemaining
                        ? text("NOTIFY_REBUILD_PROGRESS_TIME_BODY",
                               {percent, text("TIME_LEFT", {timeLeftText(*e.secondsRemaining)})})
                        : text("NOTIFY_REBUILD_PROGRESS_BODY", {percent})};
        }
        case EventKind::Test:
            return {text("NOTIFY_TEST_TITLE"), text("NOTIFY_TEST_BODY", {e.subject})};
    }
    return {};
}

}  // namespace

NotificationText notificationFor(const Event& e) {
    NotificationText n = describe(e);
    if (e.reminder) {
        n.summary = text("NOTIFY_REMINDER_TITLE", {n.summary});
    }
    // With more than one enclosure, each message says which one.
    if (e.severalControllers && e.kind != EventKind::ServiceUnavailable) {
        n.body = text("STATUS_CONTROLLER_PREFIX", {e.adapter}) + n.body;
    }
    return n;
}

}  // namespace cli
