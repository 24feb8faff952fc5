#include "platform/runloop/owned_timers.h"

#include <utility>

#include "platform/runloop/run_loop.h"

namespace platform {

Debouncer::Debouncer(Duration delay, ModeSet modes, std::function<void()> action)
    : delay_(delay), modes_(modes), action_(std::move(action)) {}

Debouncer::~Debouncer() {
    cancel();
}

void Debouncer::request(Duration delay) {
    cancel();
    RunLoop* loop = RunLoop::current();
    if (!loop) {
        return;
    }
    timer_ = Timer::createSingleShot(delay, [this](Timer&) { action_(); });
    loop->addTimer(timer_, modes_);
}

void Debouncer::cancel() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}

bool Debouncer::isPending() const {
    return timer_ && timer_->isValid();
}

RepeatingTimer::RepeatingTimer(Duration interval, ModeSet modes, std::function<void()> tick)
    : interval_(interval), modes_(modes), tick_(std::move(tick)) {}

RepeatingTimer::~RepeatingTimer() {
    stop();
}

void RepeatingTimer::start() {
    stop();
    timer_ = Timer::createRepeating(interval_, [this](Timer&) { tick_(); });
    if (RunLoop* loop = RunLoop::current()) {
        loop->addTimer(timer_, modes_);
    }
}

void RepeatingTimer::stop() {
    if (timer_) {
        timer_->invalidate();
    }
}

}  // namespace platform
