// Says when a disk or SCSI device node comes or goes, so the service checks
// adapter IDs against a fresh count: an enclosure unplugged takes its
// controller's adapter with it. inotify on the device directory, which needs
// no netlink socket (the unit allows only local sockets) and costs nothing
// while nothing changes.
#pragma once

#include <systemd/sd-event.h>

#include <filesystem>
#include <functional>
#include <string_view>

#include "platform/sdbus/bus_handles.h"

namespace service {

class HotPlugWatch {
  public:
    // Watches `directory` (/dev); throws std::system_error when it cannot.
    HotPlugWatch(const std::filesystem::path& directory, std::function<void()> changed);
    ~HotPlugWatch();
    HotPlugWatch(const HotPlugWatch&) = delete;
    HotPlugWatch& operator=(const HotPlugWatch&) = delete;

    // Reads what the kernel reported from `event`'s loop; negative errno on failure.
    int attach(sd_event* event);
    // Reads what the kernel has reported so far; calls `changed` once when any
    // of it is a disk or SCSI node.
    void readChanges();

    // A disk (sdX) or SCSI generic (sgN) node: what a controller's adapter brings.
    static bool isControllerNode(std::string_view name);

  private:
    int fd_ = -1;
    std::function<void()> changed_;
    platform::bus::EventSourcePtr source_;
};

}  // namespace service
