#include "app/enclosure_watcher.h"

#include "app/enclosure_detection.h"

namespace devices = platform::devices;

void serviceMatched(void* context, devices::Iterator) {
    static_cast<EnclosureWatcher*>(context)->deviceAdded();
}

void serviceTerminated(void* context, devices::Iterator) {
    static_cast<EnclosureWatcher*>(context)->deviceRemoved();
}

void diskAppeared(const devices::DiskRef& disk, void* context) {
    static_cast<EnclosureWatcher*>(context)->wholeDiskAppeared(disk);
}

void diskDisappeared(const devices::DiskRef&, void* context) {
    static_cast<EnclosureWatcher*>(context)->wholeDiskDisappeared();
}

EnclosureWatcher::EnclosureWatcher(Requests requests) : requests_(std::move(requests)) {}

EnclosureWatcher::~EnclosureWatcher() {
    unregisterForNotifications();
    if (diskArrivalSession_) {
        diskArrivalSession_->unscheduleFromRunLoop();
    }
}

void EnclosureWatcher::openNotificationPort() {
    notificationObject_ = devices::notificationPortCreate();
    notificationRunLoopSource_ = devices::notificationPortGetRunLoopSource(notificationObject_);
    platform::RunLoop* loop = platform::RunLoop::current();
    if (loop && notificationRunLoopSource_) {
        // Plug events must also arrive while an alert is open or a menu tracked.
        loop->addSource(notificationRunLoopSource_, platform::kCommonModes);
    }
}

void EnclosureWatcher::watchDiskArrival() {
    diskArrivalSession_ = createDiskArrivalSession ? createDiskArrivalSession() : nullptr;
    if (!diskArrivalSession_) {
        return;
    }
    diskArrivalSession_->registerDiskAppearedCallback(devices::DiskMatch::WholeMedia, diskAppeared,
                                                      this);
    diskArrivalSession_->registerDiskDisappearedCallback(devices::DiskMatch::WholeMedia,
                                                         diskDisappeared, this);
    if (platform::RunLoop* loop = platform::RunLoop::current()) {
        diskArrivalSession_->scheduleWithRunLoop(*loop, platform::Mode::Default);
    }
}

void EnclosureWatcher::watchDiskArrivalFromNow() {
    watchDiskArrival();
    alreadyThere_ = diskArrivalSession_ ? diskArrivalSession_->pendingEventCount() : 0;
}

void EnclosureWatcher::wholeDiskAppeared(const devices::DiskRef& disk) {
    if (alreadyThere_ > 0) {
        --alreadyThere_;
        return;
    }
    if (isEnclosureDisk(disk)) {
        requests_.update();
    }
}

// A vanished disk can no longer be traced to its controller, so every one counts.
void EnclosureWatcher::wholeDiskDisappeared() {
    if (alreadyThere_ > 0) {
        --alreadyThere_;
        return;
    }
    requests_.update();
}

void EnclosureWatcher::registerForNotifications() {
    auto matching = devices::serviceNameMatching(enclosure::kServiceName);
    if (!matching) {
        return;
    }
    matching->addPropertyMatch({{enclosure::kSubsystemVendorKey, enclosure::kSubsystemVendorID},
                                {enclosure::kSubsystemKey, enclosure::kSubsystemID}});

    devices::Iterator iterator = devices::kNoHandle;
    devices::addMatchingNotification(notificationObject_, devices::NotificationType::FirstMatch,
                                     matching, serviceMatched, this, &iterator);
    publishIterator_ = iterator;
    // Draining arms the notification, and finds a controller already present.
    deviceAdded();

    iterator = devices::kNoHandle;
    devices::addMatchingNotification(notificationObject_, devices::NotificationType::Terminate,
                                     matching, serviceTerminated, this, &iterator);
    publishIterator2_ = iterator;
    deviceRemoved();
}

void EnclosureWatcher::unregisterForNotifications() {
    if (publishIterator_ != devices::kNoHandle) {
        devices::objectRelease(publishIterator_);
        publishIterator_ = devices::kNoHandle;
    }
    if (publishIterator2_ != devices::kNoHandle) {
        devices::objectRelease(publishIterator2_);
        publishIterator2_ = devices::kNoHandle;
    }
    if (notificationRunLoopSource_) {
        if (platform::RunLoop* loop = platform::RunLoop::current()) {
            loop->removeSource(notificationRunLoopSource_);
        }
        notificationRunLoopSource_.reset();
    }
    if (notificationObject_) {
        devices::notificationPortDestroy(notificationObject_);
        notificationObject_.reset();
    }
}

namespace {
// Takes every service out of the iterator; true when there was at least one.
bool drain(devices::Iterator iterator) {
    devices::RegistryEntry service = devices::iteratorNext(iterator);
    if (service == devices::kNoHandle) {
        return false;
    }
    do {
        devices::objectRelease(service);
    } while ((service = devices::iteratorNext(iterator)) != devices::kNoHandle);
    return true;
}
}  // namespace

void EnclosureWatcher::deviceAdded() {
    if (drain(publishIterator_)) {
        requests_.rescan();
    }
}

void EnclosureWatcher::deviceRemoved() {
    if (drain(publishIterator2_)) {
        requests_.rescan();
    }
}
