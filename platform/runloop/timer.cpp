#include "platform/runloop/timer.h"

#include <algorithm>
#include <utility>

#include "platform/runloop/run_loop.h"

namespace platform {

Timer::Timer(Duration interval, bool repeats, Callback callback)
    : interval_(repeats ? std::max(interval, kMinimumInterval)
                        : std::max(interval, Duration::zero())),
      repeats_(repeats),
      callback_(std::move(callback)) {}

Timer::~Timer() {
    if (loop_ != nullptr) {
        loop_->timerInvalidated(*this);
    }
}

std::shared_ptr<Timer> Timer::createSingleShot(Duration interval, Callback callback) {
    return std::shared_ptr<Timer>(new Timer(interval, false, std::move(callback)));
}

std::shared_ptr<Timer> Timer::createRepeating(Duration interval, Callback callback) {
    return std::shared_ptr<Timer>(new Timer(interval, true, std::move(callback)));
}

std::shared_ptr<Timer> Timer::createSingleShot(Duration interval,
                                               WeakObjectPtr target,
                                               Selector selector) {
    return createSingleShot(interval, sending(std::move(target), std::move(selector)));
}

std::shared_ptr<Timer> Timer::createRepeating(Duration interval,
                                              WeakObjectPtr target,
                                              Selector selector) {
    return createRepeating(interval, sending(std::move(target), std::move(selector)));
}

Timer::Callback Timer::sending(WeakObjectPtr target, Selector selector) {
    return [target = std::move(target), selector = std::move(selector)](Timer& timer) {
        auto strong = target.lock();
        if (!strong) {
            timer.invalidate();
            return;
        }
        selector(*strong, &timer);
    };
}

void Timer::invalidate() {
    if (!valid_) {
        return;
    }
    valid_ = false;
    if (loop_ != nullptr) {
        loop_->timerInvalidated(*this);
    }
}

}  // namespace platform
