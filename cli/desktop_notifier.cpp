#include "cli/desktop_notifier.h"

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

// Builds and sends one Notify call; sets `id` to the new message's.
int sendNotify(sd_bus* bus,
               const NotificationText& text,
               std::uint32_t replaces,
               std::uint32_t* id,
               platform::bus::BusError& error) {
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(bus, &raw, kService, kPath, kService, "Notify");
    const platform::bus::MessagePtr call(raw);
    const std::string app = platform::Bundle::mainBundle().localizedString("NOTIFY_APP_NAME");
    if (r >= 0) {
        r = sd_bus_message_append(call.get(), "susssas", app.c_str(), replaces,
                                  "norvik-raid-utility", text.summary.c_str(), text.body.c_str(),
                                  0);
    }
    if (r >= 0) {
        r = sd_bus_message_open_container(call.get(), 'a', "{sv}");
    }
    if (r >= 0) {
        r = sd_bus_message_append(call.get(), "{sv}", "urgency", "y",
                                  text.critical ? kCriticalUrgency : kNormalUrgency);
    }
    if (r >= 0) {
        r = sd_bus_message_append(call.get(), "{sv}", "desktop-entry", "s", "norvik-raid-utility");
    }
    if (r >= 0) {
        r = sd_bus_message_close_container(call.get());
    }
    if (r >= 0) {
        // Critical messages stay until the user dismisses them.
        r = sd_bus_message_append(call.get(), "i", text.critical ? 0 : -1);
    }
    sd_bus_message* replyRaw = nullptr;
    if (r >= 0) {
        r = sd_bus_call(bus, call.get(), DesktopNotifier::kCallTimeoutMicroseconds, error.get(),
                        &replyRaw);
    }
    const platform::bus::MessagePtr reply(replyRaw);
    if (r >= 0) {
        r = sd_bus_message_read(reply.get(), "u", id);
    }
    return r;
}

}  // namespace

DesktopNotifier::~DesktopNotifier() {
    forget();
}

void DesktopNotifier::forget() {
    bus_.reset();
}

bool DesktopNotifier::connect() {
    if (bus_) {
        return true;
    }
    sd_bus* raw = nullptr;
    const int r = sd_bus_open_user(&raw);
    bus_.reset(raw);
    if (r < 0) {
        bus_.reset();
        err_ << "norvik-raid monitor: " << text("CLI_NO_SESSION_BUS", {std::strerror(-r)}) << "\n";
        return false;
    }
    return true;
}

void DesktopNotifier::notify(const Event& event) {
    if (!connect()) {
        return;
    }
    // A rebuild keeps one message: its time left and its progress replace it.
    const bool aboutRebuild =
        event.kind == EventKind::RebuildStarted || event.kind == EventKind::RebuildProgress;
    std::uint32_t replaces = 0;
    if (auto it = rebuildMessages_.find(event.subject);
        aboutRebuild && it != rebuildMessages_.end()) {
        replaces = it->second;
    } else if (event.progressUpdate) {
        return;  // the rebuild's own message was never shown
    }
    std::uint32_t id = 0;
    platform::bus::BusError error;
    const int r = sendNotify(bus_.get(), notificationFor(event), replaces, &id, error);
    if (r < 0) {
        err_ << "norvik-raid monitor: "
             << text("CLI_NOTIFICATION_NOT_SHOWN",
                     {error.get()->message ? error.get()->message : std::strerror(-r)})
             << "\n";
        forget();  // a fresh connection next time
        return;
    }
    if (aboutRebuild) {
        rebuildMessages_[event.subject] = id;
    } else if (event.kind == EventKind::RebuildFinished) {
        rebuildMessages_.erase(event.subject);
    }
}

}  // namespace cli
