// Watches for the enclosure: its RAID controller appearing in or vanishing
// from the device registry (a rescan), and whole disks coming and going (an
// update). The registry's notification port runs in every mode; disk arrival
// in the default mode only.
#pragma once

#include <functional>
#include <memory>

#include "platform/devices/device_types.h"
#include "platform/devices/disk_arrival.h"
#include "platform/devices/registry.h"
#include "platform/runloop/run_loop.h"

class EnclosureWatcher {
  public:
    struct Requests {
        std::function<void()> rescan;  // the enclosure's controller came or went
        std::function<void()> update;  // a disk of the enclosure came, or any disk went
    };
    explicit EnclosureWatcher(Requests requests);
    // The registry and disk-arrival callbacks carry this object as their
    // context; none may outlive it.
    ~EnclosureWatcher();
    EnclosureWatcher(const EnclosureWatcher&) = delete;
    EnclosureWatcher& operator=(const EnclosureWatcher&) = delete;

    // Creates the notification port and adds its source to the current run
    // loop in the common modes.
    void openNotificationPort();
    // Arms the first-match and terminate notifications of the enclosure's
    // controller (draining them finds one already present).
    void registerForNotifications();
    void unregisterForNotifications();
    void deviceAdded();
    void deviceRemoved();
    // Opens the disk-arrival session and schedules it in the default mode;
    // without a session disk events go unobserved.
    void watchDiskArrival();
    // The same, for a caller that has just read the enclosure: the disks the
    // session finds already there are not reported as arrivals.
    void watchDiskArrivalFromNow();

    // Opens the disk-arrival session (null: none could be made).
    std::function<platform::devices::DiskArrivalSessionRef()> createDiskArrivalSession =
        &platform::devices::DiskArrivalSession::create;

    const std::shared_ptr<platform::RunLoopSource>& notificationRunLoopSource() const {
        return notificationRunLoopSource_;
    }
    const platform::devices::NotificationPortRef& notificationObject() const {
        return notificationObject_;
    }
    platform::devices::Iterator publishIterator() const { return publishIterator_; }
    platform::devices::Iterator publishIterator2() const { return publishIterator2_; }
    const platform::devices::DiskArrivalSessionRef& diskArrivalSession() const {
        return diskArrivalSession_;
    }

    // A whole disk appeared (counts when it is the enclosure's) or vanished.
    void wholeDiskAppeared(const platform::devices::DiskRef& disk);
    void wholeDiskDisappeared();

  private:
    Requests requests_;
    std::shared_ptr<platform::RunLoopSource> notificationRunLoopSource_;
    platform::devices::NotificationPortRef notificationObject_;
    platform::devices::Iterator publishIterator_ = platform::devices::kNoHandle;
    platform::devices::Iterator publishIterator2_ = platform::devices::kNoHandle;
    platform::devices::DiskArrivalSessionRef diskArrivalSession_;
    // Events of disks that were there when the session started, still to come.
    std::size_t alreadyThere_ = 0;
};
