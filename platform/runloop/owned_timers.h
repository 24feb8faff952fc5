// Timers held as members: each keeps one run-loop timer of its own, placed in
// the given modes of the current run loop, and cancels it when its owner
// (and so it) goes away, so the action never runs on a destroyed owner.
#pragma once

#include <functional>
#include <memory>

#include "platform/runloop/mode.h"
#include "platform/runloop/timer.h"

namespace platform {

// A trailing-edge debounce: each request cancels the pending one and runs the
// action once, `delay` after the last request of a burst.
class Debouncer {
  public:
    Debouncer(Duration delay, ModeSet modes, std::function<void()> action);
    ~Debouncer();
    Debouncer(const Debouncer&) = delete;
    Debouncer& operator=(const Debouncer&) = delete;

    void request() { request(delay_); }
    void request(Duration delay);
    void cancel();
    bool isPending() const;

  private:
    Duration delay_;
    ModeSet modes_;
    std::function<void()> action_;
    std::shared_ptr<Timer> timer_;
};

// A repeating timer that start() (re)starts and stop() stops; the last timer
// stays readable after it stopped.
class RepeatingTimer {
  public:
    RepeatingTimer(Duration interval, ModeSet modes, std::function<void()> tick);
    ~RepeatingTimer();
    RepeatingTimer(const RepeatingTimer&) = delete;
    RepeatingTimer& operator=(const RepeatingTimer&) = delete;

    void start();
    void stop();
    bool isRunning() const { return timer_ && timer_->isValid(); }
    // The timer of the last start (null before the first).
    const std::shared_ptr<Timer>& timer() const { return timer_; }

  private:
    Duration interval_;
    ModeSet modes_;
    std::function<void()> tick_;
    std::shared_ptr<Timer> timer_;
};

}  // namespace platform
