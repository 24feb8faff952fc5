// What a run loop does between passes when it runs by itself (runInMode):
// wait for the next deadline or a readable fd source. Each clock has its own
// pump, chosen when the loop is made, so the loop never asks which clock it has.
#pragma once

#include <optional>

#include "platform/runloop/clock.h"

namespace platform {

class RunLoop;

class RunLoopPump {
  public:
    virtual ~RunLoopPump() = default;
    // Waits until `deadline` (nullopt: none) or until an fd source of the
    // loop's current mode is readable, signalling that source. False when
    // nothing can ever happen again, which ends the run.
    virtual bool waitForWork(RunLoop& loop, std::optional<TimePoint> deadline) = 0;
};

// Real time: poll() on the fd sources until the deadline.
class PollPump final : public RunLoopPump {
  public:
    explicit PollPump(const Clock& clock) : clock_(clock) {}
    bool waitForWork(RunLoop& loop, std::optional<TimePoint> deadline) override;

  private:
    const Clock& clock_;
};

// Virtual time: jumps the manual clock to the deadline; nothing waits.
class VirtualJumpPump final : public RunLoopPump {
  public:
    explicit VirtualJumpPump(ManualClock& clock) : clock_(clock) {}
    bool waitForWork(RunLoop& loop, std::optional<TimePoint> deadline) override;

  private:
    ManualClock& clock_;
};

}  // namespace platform
