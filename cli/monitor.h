// The monitor: reads the enclosure at an interval and soon after every
// hot-plug event of the device source, and hands what changed to the
// event handlers. Between readings it only waits on the run loop: the
// interval timer and the device source's events are all that wake it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "cli/enclosure_reading.h"
#include "cli/health.h"
#include "cli/monitor_events.h"
#include "cli/rebuild_tracker.h"
#include "model/reading_deadline.h"
#include "platform/core/object.h"
#include "platform/devices/device_types.h"
#include "platform/devices/disk_arrival.h"
#include "platform/devices/registry.h"
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
    // After the events of every reading.
    void onReading(ReadingHandler handler) { readingHandlers_.push_back(std::move(handler)); }

    // The longest one reading may wait for the controller library.
    void setReadingTimeout(platform::Duration timeout) { readingTimeout_ = timeout; }

    // Reads at once, then at the interval and after hot-plug events.
    void start();
    void stop();

    // One reading: compare, hand out the events, then the reading.
    Health readNow();
    const std::optional<EnclosureReading>& lastReading() const { return last_; }

  private:
    void hotPlugged();
    void watchDevices();

    platform::RunLoop& loop_;
    platform::Duration interval_;
    platform::Duration readingTimeout_ = kDefaultReadingTimeout;
    std::vector<EventHandler> eventHandlers_;
    std::vector<ReadingHandler> readingHandlers_;
    std::optional<EnclosureReading> last_;
    RebuildTracker rebuilds_;
    // Volumes whose time left was already told.
    std::vector<std::string> toldTimeLeft_;
    // The slot each running rebuild writes to, as its start event said.
    std::map<std::string, std::optional<int>> rebuildTargets_;

    std::shared_ptr<platform::Timer> timer_;
    platform::devices::NotificationPortRef port_;
    std::shared_ptr<platform::RunLoopSource> portSource_;
    platform::devices::Iterator matched_ = platform::devices::kNoHandle;
    platform::devices::Iterator terminated_ = platform::devices::kNoHandle;
    platform::devices::DiskArrivalSessionRef disks_;
    // The session reports the disks present when it starts as arrivals.
    std::size_t disksAlreadyThere_ = 0;
};

}  // namespace cli
