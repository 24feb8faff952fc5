// --notify: one desktop notification per event through the notification
// service on the session bus (org.freedesktop.Notifications). A rebuild's
// message is replaced in place as its time left and progress become known. A bus or service
// that does not answer is reported on stderr and tried again at the next event.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

#include "cli/monitor_events.h"
#include "platform/sdbus/bus_handles.h"

namespace cli {

class DesktopNotifier {
  public:
    explicit DesktopNotifier(std::ostream& err) : err_(err) {}
    ~DesktopNotifier();
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // How long one call may take before it counts as unanswered.
    static constexpr std::uint64_t kCallTimeoutMicroseconds = 5'000'000;

    void notify(const Event& event);

  private:
    bool connect();
    void forget();

    std::ostream& err_;
    platform::bus::BusPtr bus_;
    // The rebuild message of each volume, for replacing it.
    std::map<std::string, std::uint32_t> rebuildMessages_;
};

}  // namespace cli
