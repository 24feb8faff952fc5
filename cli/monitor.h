// The monitor: reads the enclosure at an interval and soon after the
// enclosure or one of its disks comes or goes (the window's enclosure
// watcher tells it), and hands what changed to the event handlers. Between
// readings it only waits on the run loop: the interval timer and the device
// source's events are all that wake it. A reading that fails is tried again
// at the next interval; the controller list is rescanned at every reading.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/enclosure_watcher.h"
#include "cli/enclosure_reading.h"
#include "cli/health.h"
#include "cli/monitor_events.h"
#include "cli/rebuild_tracker.h"
#include "model/health_verdict.h"
#include "model/reading_deadline.h"
#include "platform/core/object.h"
#include "platform/runloop/run_loop.h"
#include "platform/runloop/timer.h"

namespace cli {

class Monitor : public platform::Object {
    struct Private {};

  public:
    using EventHandler = std::function<void(const Event&)>;
    using ReadingHandler = std::function<void(const EnclosureReading&)>;

    static constexpr platform::Duration kDefaultInterval = std::chrono::seconds(60);
    // Hot-plug events come in bursts; one reading follows the last of them.
    static constexpr platform::Duration kHotPlugDelay = std::chrono::seconds(1);

    static std::shared_ptr<Monitor> create(platform::RunLoop& loop, platform::Duration interval);
    Monitor(Private, platform::RunLoop& loop, platform::Duration interval);
    ~Monitor() override;

    void onEvent(EventHandler handler) { eventHandlers_.push_back(std::move(handler)); }
    // After the events of every reading: the reading, with what it could not
    // read carried from the one before as unknown.
    void onReading(ReadingHandler handler) { readingHandlers_.push_back(std::move(handler)); }

    // The longest one reading may wait for the controller library.
    void setReadingTimeout(platform::Duration timeout) { readingTimeout_ = timeout; }

    static constexpr platform::Duration kDefaultRemindInterval = std::chrono::hours(24);
    // How often a volume that stays degraded, offline or unknown is told
    // again; zero: never.
    void setRemindInterval(platform::Duration interval) { remindInterval_ = interval; }
    // A rebuild is told again each time it passes another of these steps.
    static constexpr int kProgressStepPercent = 20;

    // Reads at once, then at the interval and after hot-plug events.
    void start();
    void stop();

    // One reading: compare, hand out the events, then the reading; its verdict.
    Health readNow();
    // Why the controller library cannot be used, asked after every reading,
    // which carries it: the backend choice's problem, or a service that
    // stopped answering.
    void setLibraryProblem(std::function<std::string()> problemNow) {
        libraryProblem_ = std::move(problemNow);
    }
    // The reading last made, with what it could not read carried forward;
    // while its events are handed out, already the reading they come from.
    const std::optional<EnclosureReading>& lastReading() const { return last_; }

    // A test event per volume of the last reading (or per controller, or
    // one for the library when there is none), handed out as any event.
    void sendTestEvents();

  private:
    void hotPlugged();
    void hand(const Event& event);
    // Events that follow from time passing: the time left, a rebuild's
    // progress steps, reminders.
    void timeEvents(const EnclosureReading& reading, bool several, std::vector<Event>& events);
    void remember(const std::vector<Event>& events);

    platform::RunLoop& loop_;
    platform::Duration interval_;
    platform::Duration readingTimeout_ = kDefaultReadingTimeout;
    platform::Duration remindInterval_ = kDefaultRemindInterval;
    std::vector<EventHandler> eventHandlers_;
    std::vector<ReadingHandler> readingHandlers_;
    std::optional<EnclosureReading> last_;
    std::function<std::string()> libraryProblem_;
    RebuildTracker rebuilds_;
    // Volumes whose time left was already told.
    std::vector<std::string> toldTimeLeft_;
    // The slot each running rebuild writes to, as its start event said.
    std::map<std::string, std::optional<int>> rebuildTargets_;
    // The progress step each running rebuild was told at.
    std::map<std::string, int> progressTold_;
    // The last problem told about each volume that has not been healthy
    // since, and when it was told.
    struct Told {
        Event event;
        platform::TimePoint at;
    };
    std::map<std::string, Told> problems_;

    std::shared_ptr<platform::Timer> timer_;
    std::unique_ptr<EnclosureWatcher> watcher_;
};

}  // namespace cli
