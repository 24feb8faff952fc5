#include "cli/desktop_notifier.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <ostream>

#include "cli/notification_text.h"
#include "cli/texts.h"
#include "platform/controls/bundle.h"

namespace cli {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr std::uint8_t kNormalUrgency = 1;
constexpr std::uint8_t kCriticalUrgency = 2;

// Builds and sends one Notify call; the new message's id, or 0 on failure.
int sendNotify(sd_bus* bus,
               const NotificationText& text,
               std::uint32_t replaces,
               std::uint32_t* id,
               sd_bus_error* error) {
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_call(bus, &call, kService, kPath, kService, "Notify");
    const std::string app = platform::Bundle::mainBundle().localizedString("NOTIFY_APP_NAME");
    if (r >= 0) {
        r = sd_bus_message_append(call, "susssas", app.c_str(), replaces, "norvik-raid-utility",
                                  text.summary.c_str(), text.body.c_str(), 0);
    }
    if (r >= 0) {
        r = sd_bus_message_open_container(call, 'a', "{sv}");
    }
    if (r >= 0) {
        r = sd_bus_message_append(call, "{sv}", "urgency", "y",
                                  text.critical ? kCriticalUrgency : kNormalUrgency);
    }
    if (r >= 0) {
        r = sd_bus_message_append(call, "{sv}", "desktop-entry", "s", "norvik-raid-utility");
    }
    if (r >= 0) {
        r = sd_bus_message_close_container(call);
    }
    if (r >= 0) {
        // Critical messages stay until the user dismisses them.
        r = sd_bus_message_append(call, "i", text.critical ? 0 : -1);
    }
    if (r >= 0) {
        r = sd_bus_call(bus, call, DesktopNotifier::kCallTimeoutMicroseconds, error, &reply);
    }
    if (r >= 0) {
        r = sd_bus_message_read(reply, "u", id);
    }
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    return r;
}

}  // namespace

DesktopNotifier::~DesktopNotifier() {
    forget();
}

void DesktopNotifier::forget() {
    if (bus_) {
        sd_bus_flush_close_unref(bus_);
        bus_ = nullptr;
    }
}

bool DesktopNotifier::connect() {
    if (bus_) {
        return true;
    }
    const int r = sd_bus_open_user(&bus_);
    if (r < 0) {
        bus_ = nullptr;
        err_ << "norvik-raid monitor: " << text("CLI_NO_SESSION_BUS", {std::strerror(-r)}) << "\n";
        return false;
    }
    return true;
}

void DesktopNotifier::notify(const Event& event) {
    if (!connect()) {
        return;
    }
    const bool aboutRebuild = event.kind == EventKind::RebuildStarted;
    std::uint32_t replaces = 0;
    if (event.progressUpdate) {
        auto it = rebuildMessages_.find(event.subject);
        if (it == rebuildMessages_.end()) {
            return;  // the rebuild's own message was never shown
        }
        replaces = it->second;
    }
    std::uint32_t id = 0;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sendNotify(bus_, notificationFor(event), replaces, &id, &error);
    if (r < 0) {
        err_ << "norvik-raid monitor: "
             << text("CLI_NOTIFICATION_NOT_SHOWN",
                     {error.message ? error.message : std::strerror(-r)})
             << "\n";
        sd_bus_error_free(&error);
        forget();  // a fresh connection next time
        return;
    }
    sd_bus_error_free(&error);
    if (aboutRebuild) {
        rebuildMessages_[event.subject] = id;
    } else if (event.kind == EventKind::RebuildFinished) {
        rebuildMessages_.erase(event.subject);
    }
}

}  // namespace cli
