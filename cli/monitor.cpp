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
    const bool several = reading.controllers.size() > 1 || (last_ && last_->controllers.size() > 1);
    const Health health = judgeEnclosure(reading).health;
    // What could not be read now shows as unknown, not as gone.
    last_ = carriedForward(last_, reading);
    timeEvents(*last_, several, events);
    remember(events);

    for (const Event& e : events) {
        hand(e);
    }
    for (const auto& handler : readingHandlers_) {
        handler(*last_);
    }
    return health;
}

void Monitor::hand(const Event& event) {
    for (const auto& handler : eventHandlers_) {
        handler(event);
    }
}

void Monitor::timeEvents(const EnclosureReading& reading,
                         bool several,
                         std::vector<Event>& events) {
    const platform::TimePoint now = loop_.clock().now();
    std::vector<std::string> rebuilding;
    std::vector<std::string> unwell;
    for (const ControllerReading& c : reading.controllers) {
        for (const VolumeReading& v : c.volumes) {
            const std::string subject = volumeSubject(c.adapter, v.displayName(), several);
            const Health health = volumeHealth(v);
            if (health == Health::Degraded || health == Health::Failed ||
                health == Health::Unknown) {
                unwell.push_back(subject);
            }
            if (!v.progressPercent) {
                continue;
            }
            rebuilding.push_back(subject);
            const auto event = [&](EventKind kind) -> Event& {
                Event& e = events.emplace_back();
                e.kind = kind;
                e.adapter = c.adapter;
                e.subject = subject;
                e.volume = v.displayName();
                e.severalControllers = several;
                e.secondsRemaining = v.secondsRemaining;
                e.statusText = v.statusText;
                return e;
            };
            // A rebuild's time left becomes known some readings after it
            // started: tell it once, as an update of the rebuild's own message.
            const bool told = std::find(toldTimeLeft_.begin(), toldTimeLeft_.end(), subject) !=
                              toldTimeLeft_.end();
            if (v.secondsRemaining && !told) {
                Event& update = event(EventKind::RebuildStarted);
                update.slot = rebuildTargets_[subject];
                update.progressUpdate = true;
                toldTimeLeft_.push_back(subject);
            }
            // Each fifth of the way, once; the step it was first seen at
            // was told by its start.
            const int step = *v.progressPercent / kProgressStepPercent * kProgressStepPercent;
            const auto [at, first] = progressTold_.try_emplace(subject, step);
            if (!first && step > at->second && step < 100) {
                Event& progress = event(EventKind::RebuildProgress);
                progress.progressPercent = v.progressPercent;
                progress.slot = rebuildTargets_[subject];
                progress.detail = std::to_string(*v.progressPercent) + "%";
                if (v.secondsRemaining) {
                    progress.detail += ", " + std::to_string(*v.secondsRemaining) + " s left";
                }
                at->second = step;
            }
        }
    }
    const auto absentFrom = [](const std::vector<std::string>& names) {
        return [&names](const std::string& name) {
            return std::find(names.begin(), names.end(), name) == names.end();
        };
    };
    std::erase_if(toldTimeLeft_, absentFrom(rebuilding));
    std::erase_if(rebuildTargets_,
                  [&](const auto& entry) { return absentFrom(rebuilding)(entry.first); });
    std::erase_if(progressTold_,
                  [&](const auto& entry) { return absentFrom(rebuilding)(entry.first); });
    // A volume that is gone, or well again, needs no reminder.
    std::erase_if(problems_, [&](const auto& entry) { return absentFrom(unwell)(entry.first); });

    if (remindInterval_ <= platform::Duration::zero()) {
        return;
    }
    for (auto& [subject, told] : problems_) {
        if (now - told.at < remindInterval_) {
            continue;
        }
        Event& reminder = events.emplace_back(told.event);
        reminder.reminder = true;
        // Due from when it was first told, not from a reading's slack; one
        // reminder for however many intervals were missed.
        while (now - told.at >= remindInterval_) {
            told.at += remindInterval_;
        }
    }
}

void Monitor::remember(const std::vector<Event>& events) {
    const platform::TimePoint now = loop_.clock().now();
    for (const Event& e : events) {
        switch (e.kind) {
            case EventKind::VolumeDegraded:
            case EventKind::VolumeOffline:
            case EventKind::VolumeUnknown:
                if (!e.volume.empty() && !e.reminder) {
                    problems_.insert_or_assign(e.subject, Told{e, now});
                }
                break;
            case EventKind::VolumeHealthy:
                problems_.erase(e.subject);
                break;
            case EventKind::RebuildStarted:
                if (!e.progressUpdate) {
                    problems_.erase(e.subject);
                }
                break;
            default:
                break;
        }
    }
}

void Monitor::sendTestEvents() {
    if (!last_) {
        return;
    }
    const bool several = last_->controllers.size() > 1;
    std::vector<Event> events;
    const auto test = [&](int adapter, std::string subject) -> Event& {
        Event& e = events.emplace_back();
        e.kind = EventKind::Test;
        e.adapter = adapter;
        e.subject = std::move(subject);
        e.severalControllers = several;
        return e;
    };
    for (const ControllerReading& c : last_->controllers) {
        for (const VolumeReading& v : c.volumes) {
            test(c.adapter, volumeSubject(c.adapter, v.displayName(), several)).volume =
                v.displayName();
        }
    }
    if (events.empty()) {
        for (const ControllerReading& c : last_->controllers) {
            test(c.adapter, "controller" + std::to_string(c.adapter));
        }
    }
    if (events.empty()) {
        test(0, kControllerLibrarySubject);
    }
    for (const Event& e : events) {
        hand(e);
    }
}

}  // namespace cli
