// Drives a run loop in virtual time for tests: nothing sleeps, time moves
// only when the test says so.
#pragma once

#include <cstddef>

#include "platform/runloop/clock.h"
#include "platform/runloop/run_loop.h"

namespace platform {

class VirtualTimeDriver {
  public:
    explicit VirtualTimeDriver(TimePoint start = TimePoint{});

    ManualClock& clock() { return clock_; }
    RunLoop& runLoop() { return loop_; }
    TimePoint now() const { return clock_.now(); }

    // Moves virtual time forward by `d`, stopping at each deadline that falls
    // due in the current mode to run what is due there, in order, including
    // work scheduled on the way. Returns the number of items run.
    std::size_t fastForwardBy(Duration d);

    // Runs what is due now (and what that schedules for now) without moving
    // time. Gives up after kMaxItems so a self-rescheduling item cannot hang
    // a test. Returns the number of items run.
    std::size_t runUntilIdle();

    static constexpr std::size_t kMaxItems = 100000;

  private:
    ManualClock clock_;
    RunLoop loop_;
};

}  // namespace platform
