#include <algorithm>

#include "app/app_delegate.h"

namespace {
// Longer than any delay anyone asks for; keeps the conversion to nanoseconds finite.
constexpr std::uint64_t kLongestDelaySeconds = 100ull * 365 * 24 * 3600;
}  // namespace

void AppDelegate::queueRescanEvent() {
    platform::RunLoop* loop = platform::RunLoop::current();
    if (!loop) {
        return;
    }
    loop->cancelPreviousPerformRequests(this, "scanForControllers");
    // Default mode only: a rescan must never run inside a modal alert or
    // while a menu is tracked.
    loop->performSelector(
        weak_from_this(), "scanForControllers",
        [self = weakSelf()] {
            if (auto delegate = self.lock()) {
                delegate->scanForControllers();
            }
        },
        platform::seconds(kRescanDelay), platform::Mode::Default);
}

void AppDelegate::queueUpdateEvent(std::uint64_t delaySeconds) {
    platform::RunLoop* loop = platform::RunLoop::current();
    if (!loop) {
        return;
    }
    loop->cancelPreviousPerformRequests(this, "updateDevice");
    const double delay = static_cast<double>(std::min(delaySeconds, kLongestDelaySeconds));
    loop->performSelector(
        weak_from_this(), "updateDevice",
        [self = weakSelf()] {
            if (auto delegate = self.lock()) {
                delegate->updateDevice();
            }
        },
        platform::seconds(delay), platform::kCommonModes);
}

void AppDelegate::startTimer() {
    stopTimer();
    timer = platform::Timer::createRepeating(platform::seconds(kRefreshInterval),
                                             [self = weakSelf()](platform::Timer&) {
                                                 if (auto delegate = self.lock()) {
                                                     delegate->updateInfo();
                                                 }
                                             });
    if (platform::RunLoop* loop = platform::RunLoop::current()) {
        loop->addTimer(timer, platform::kCommonModes);
    }
}

void AppDelegate::stopTimer() {
    if (timer) {
        timer->invalidate();
    }
}
