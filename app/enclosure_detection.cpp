#include "app/enclosure_detection.h"

#include "app/app_delegate.h"

namespace devices = platform::devices;

void serviceMatched(void* context, devices::Iterator) {
    static_cast<AppDelegate*>(context)->deviceAdded();
}

void serviceTerminated(void* context, devices::Iterator) {
    static_cast<AppDelegate*>(context)->deviceRemoved();
}

void diskAppeared(const devices::DiskRef& disk, void* context) {
    if (isEnclosureDisk(disk)) {
        static_cast<AppDelegate*>(context)->queueUpdateEvent(1);
    }
}

// A vanished disk can no longer be traced to its controller, so every one counts.
void diskDisappeared(const devices::DiskRef&, void* context) {
    static_cast<AppDelegate*>(context)->queueUpdateEvent(1);
}

bool isEnclosureDisk(const devices::DiskRef& disk) {
    devices::RegistryEntry entry = devices::kNoHandle;
    devices::RegistryEntry bus = devices::kNoHandle;
    devices::RegistryEntry controller = devices::kNoHandle;
    bool result = false;
    try {
        const auto description = devices::diskCopyDescription(disk);
        const std::string busPath =
            description && description->busPath ? *description->busPath : std::string();
        entry = devices::registryEntryFromPath(busPath);
        bus = devices::registryEntryGetParentEntry(entry, devices::kDeviceTreePlane);
        controller = devices::registryEntryGetParentEntry(bus, devices::kDeviceTreePlane);
        const auto vendor =
            devices::registryEntryCreateProperty(controller, enclosure::kSubsystemVendorKey);
        if (vendor && *vendor == enclosure::kSubsystemVendorID) {
            const auto subsystem =
                devices::registryEntryCreateProperty(controller, enclosure::kSubsystemKey);
            result = subsystem && *subsystem == enclosure::kSubsystemID;
        }
    } catch (...) {
        result = false;
    }
    for (devices::RegistryEntry handle : {controller, bus, entry}) {
        if (handle != devices::kNoHandle) {
            devices::objectRelease(handle);
        }
    }
    return result;
}

void AppDelegate::registerForNotifications() {
    auto matching = devices::serviceNameMatching(enclosure::kServiceName);
    if (!matching) {
        return;
    }
    matching->addPropertyMatch({{enclosure::kSubsystemVendorKey, enclosure::kSubsystemVendorID},
                                {enclosure::kSubsystemKey, enclosure::kSubsystemID}});

    devices::Iterator iterator = devices::kNoHandle;
    devices::addMatchingNotification(notificationObject_, devices::NotificationType::FirstMatch,
                                     matching, serviceMatched, this, &iterator);
    setPublishIterator(iterator);
    // Draining arms the notification, and finds a controller already present.
    deviceAdded();

    iterator = devices::kNoHandle;
    devices::addMatchingNotification(notificationObject_, devices::NotificationType::Terminate,
                                     matching, serviceTerminated, this, &iterator);
    setPublishIterator2(iterator);
    deviceRemoved();
}

void AppDelegate::unregisterForNotifications() {
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

void AppDelegate::deviceAdded() {
    if (drain(publishIterator_)) {
        queueRescanEvent();
    }
}

void AppDelegate::deviceRemoved() {
    if (drain(publishIterator2_)) {
        queueRescanEvent();
    }
}
