#include "app/refresh_scheduler.h"

#include <algorithm>

#include "model/reading_deadline.h"

namespace {
// Longer than any delay anyone asks for; keeps the conversion to nanoseconds finite.
constexpr std::uint64_t kLongestDelaySeconds = 100ull * 365 * 24 * 3600;

// One refresh never waits for the controller library longer than this in all.
std::function<void()> bounded(std::function<void()> refresh) {
    return [refresh = std::move(refresh)] {
        ScopedReadingDeadline deadline(kDefaultReadingTimeout);
        refresh();
    };
}

}  // namespace

RefreshScheduler::RefreshScheduler(Actions actions)
    : rescan_(platform::seconds(kRescanDelay),
              platform::Mode::Default,
              bounded(std::move(actions.scanForControllers))),
      update_(platform::Duration::zero(),
              platform::kCommonModes,
              bounded(std::move(actions.updateDevice))),
      refresh_(platform::seconds(kRefreshInterval),
               platform::kCommonModes,
               bounded(std::move(actions.updateInfo))) {}

void RefreshScheduler::queueRescanEvent() {
    rescan_.request();
}

void RefreshScheduler::queueUpdateEvent(std::uint64_t delaySeconds) {
    const double delay = static_cast<double>(std::min(delaySeconds, kLongestDelaySeconds));
    update_.request(platform::seconds(delay));
}

void RefreshScheduler::startTimer() {
    refresh_.start();
}

void RefreshScheduler::stopTimer() {
    refresh_.stop();
}
