#include "cli/monitor.h"

#include <algorithm>

namespace cli {

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
    // What is there already was just read.
    watcher_ = std::make_unique<EnclosureWatcher>(EnclosureWatcher::Requests{
        .rescan = [this] { hotPlugged(); }, .update = [this] { hotPlugged(); }});
    watcher_->openNotificationPort();
    watcher_->registerForNotifications();
    loop_.cancelPreviousPerformRequests(this, "readNow");
    watcher_->watchDiskArrivalFromNow();
}

void Monitor::stop() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    loop_.cancelPreviousPerformRequests(this, "readNow");
    watcher_.reset();
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
    if (libraryProblem_) {
        reading.libraryProblem = libraryProblem_();
    }
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
    const bool several = reading.controllers.size() > 1 || (last_ && last_->controllers.size() > 1);
    for (const ControllerReading& c : reading.controllers) {
        for (const VolumeReading& v : c.volumes) {
            if (!v.progressPercent) {
                continue;
            }
            const std::string subject = volumeSubject(c.adapter, v.displayName(), several);
            rebuilding.push_back(subject);
            const bool told = std::find(toldTimeLeft_.begin(), toldTimeLeft_.end(), subject) !=
                              toldTimeLeft_.end();
            if (v.secondsRemaining && !told) {
                Event update;
                update.kind = EventKind::RebuildStarted;
                update.adapter = c.adapter;
                update.subject = subject;
                update.volume = v.displayName();
                update.severalControllers = several;
                update.secondsRemaining = v.secondsRemaining;
                update.statusText = v.statusText;
                update.slot = rebuildTargets_[subject];
                update.progressUpdate = true;
                events.push_back(std::move(update));
                toldTimeLeft_.push_back(subject);
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
    const Health health = judgeEnclosure(reading).health;
    last_ = carriedForward(last_, reading);
    // What could not be read now shows as unknown, not as gone.
    for (const auto& handler : readingHandlers_) {
        handler(*last_);
    }
    return health;
}

}  // namespace cli
