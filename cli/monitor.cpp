#include "cli/monitor.h"

#include <algorithm>

namespace devices = platform::devices;

namespace cli {

namespace {

// The enclosure controller's service name in the device registry. Any
// controller of that name makes the monitor look: a reading costs little,
// and only what changed is acted on.
constexpr const char* kControllerServiceName = "pci1b4b,9230";

void drain(devices::Iterator iterator) {
    for (auto entry = devices::iteratorNext(iterator); entry != devices::kNoHandle;
         entry = devices::iteratorNext(iterator)) {
        devices::objectRelease(entry);
    }
}

}  // namespace

std::shared_ptr<Monitor> Monitor::create(platform::RunLoop& loop, platform::Duration interval) {
    return std::make_shared<Monitor>(Private{}, loop, interval);
}

Monitor::Monitor(Private, platform::RunLoop& loop, platform::Duration interval)
    : loop_(loop), interval_(interval) {}

Monitor::~Monitor() {
    stop();
}

void Monitor::start() {
    readNow();
    timer_ = platform::Timer::createRepeating(interval_, [this](platform::Timer&) { readNow(); });
    loop_.addTimer(timer_, platform::Mode::Default);
    watchDevices();
}

void Monitor::watchDevices() {
    port_ = devices::notificationPortCreate();
    portSource_ = devices::notificationPortGetRunLoopSource(port_);
    if (portSource_) {
        loop_.addSource(portSource_, platform::Mode::Default);
    }
    auto matching = devices::serviceNameMatching(kControllerServiceName);
    const auto callback = [](void* context, devices::Iterator iterator) {
        drain(iterator);
        static_cast<Monitor*>(context)->hotPlugged();
    };
    // Draining the first iterators arms the notifications; what is there
    // already was just read.
    devices::addMatchingNotification(port_, devices::NotificationType::FirstMatch, matching,
                                     callback, this, &matched_);
    drain(matched_);
    devices::addMatchingNotification(port_, devices::NotificationType::Terminate, matching,
                                     callback, this, &terminated_);
    drain(terminated_);

    disks_ = devices::DiskArrivalSession::create();
    if (disks_) {
        const auto disk = [](const devices::DiskRef&, void* context) {
            auto* self = static_cast<Monitor*>(context);
            if (self->disksAlreadyThere_ > 0) {
                --self->disksAlreadyThere_;  // read at start already
                return;
            }
            self->hotPlugged();
        };
        disks_->registerDiskAppearedCallback(devices::DiskMatch::WholeMedia, disk, this);
        disks_->registerDiskDisappearedCallback(devices::DiskMatch::WholeMedia, disk, this);
        disks_->scheduleWithRunLoop(loop_, platform::Mode::Default);
        disksAlreadyThere_ = disks_->pendingEventCount();
    }
}

void Monitor::stop() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    loop_.cancelPreviousPerformRequests(this, "readNow");
    if (disks_) {
        disks_->unscheduleFromRunLoop();
        disks_.reset();
    }
    for (devices::Iterator* it : {&matched_, &terminated_}) {
        if (*it != devices::kNoHandle) {
            devices::objectRelease(*it);
            *it = devices::kNoHandle;
        }
    }
    if (portSource_) {
        loop_.removeSource(portSource_);
        portSource_.reset();
    }
    if (port_) {
        devices::notificationPortDestroy(port_);
        port_.reset();
    }
}

void Monitor::hotPlugged() {
    loop_.cancelPreviousPerformRequests(this, "readNow");
    loop_.performSelector(
        weak_from_this(), "readNow", [this] { readNow(); }, kHotPlugDelay, platform::Mode::Default);
}

Health Monitor::readNow() {
    EnclosureReading reading = [this] {
        ScopedReadingDeadline deadline(readingTimeout_);
        return readEnclosure();
    }();
    rebuilds_.track(reading, loop_.clock().now());
    std::vector<Event> events = changesBetween(last_, reading);
    for (const Event& e : events) {
        if (e.kind == EventKind::RebuildStarted) {
            rebuildTargets_[e.subject] = e.slot;
        }
    }

    // A rebuild's time left becomes known some readings after it started:
    // tell it once, as an update of the rebuild's own message.
    std::vector<std::string> rebuilding;
    for (const ControllerReading& c : reading.controllers) {
        for (const VolumeReading& v : c.volumes) {
            if (!v.progressPercent) {
                continue;
            }
            rebuilding.push_back(v.displayName());
            const bool told = std::find(toldTimeLeft_.begin(), toldTimeLeft_.end(),
                                        v.displayName()) != toldTimeLeft_.end();
            if (v.secondsRemaining && !told) {
                Event update;
                update.kind = EventKind::RebuildStarted;
                update.adapter = c.adapter;
                update.subject = v.displayName();
                update.secondsRemaining = v.secondsRemaining;
                update.statusText = v.statusText;
                update.slot = rebuildTargets_[v.displayName()];
                update.progressUpdate = true;
                events.push_back(std::move(update));
                toldTimeLeft_.push_back(v.displayName());
            }
        }
    }
    const auto ended = [&](const std::string& name) {
        return std::find(rebuilding.begin(), rebuilding.end(), name) == rebuilding.end();
    };
    std::erase_if(toldTimeLeft_, ended);
    std::erase_if(rebuildTargets_, [&](const auto& entry) { return ended(entry.first); });

    for (const Event& e : events) {
        for (const auto& handler : eventHandlers_) {
            handler(e);
        }
    }
    for (const auto& handler : readingHandlers_) {
        handler(reading);
    }
    const Health health = assess(reading);
    last_ = std::move(reading);
    return health;
}

}  // namespace cli
