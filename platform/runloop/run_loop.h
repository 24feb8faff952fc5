// One thread's run loop: timers, delayed performs and sources, each placed in
// a set of modes. The loop runs in one mode at a time; an item that falls due
// in a mode that is not current waits until that mode runs again. Items due
// at the same time run first-in, first-out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/object.h"
#include "platform/runloop/clock.h"
#include "platform/runloop/mode.h"
#include "platform/runloop/run_loop_pump.h"
#include "platform/runloop/timer.h"

namespace platform {

class RunLoop;

// A source of events delivered through the run loop in its modes. An fd
// source is performed when its file descriptor becomes readable; any source
// can also be signalled by its owner and is then performed on the next pass
// of the loop in one of its modes.
class RunLoopSource {
  public:
    virtual ~RunLoopSource();
    // The file descriptor to watch for reading, or -1 for a signalled-only source.
    virtual int fd() const { return -1; }
    virtual void perform() = 0;

    void signal();
    bool isSignalled() const { return signalled_; }

  private:
    friend class RunLoop;
    bool signalled_ = false;
    RunLoop* loop_ = nullptr;
};

class RunLoop {
  public:
    // Runs by itself (runInMode) by polling on real time ...
    explicit RunLoop(Clock& clock);
    // ... or by jumping virtual time to the next deadline.
    explicit RunLoop(ManualClock& clock);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // The run loop of this thread: the one most recently constructed and not
    // yet destroyed (the application makes one at start-up, tests one each).
    static RunLoop* current();

    Clock& clock() const { return clock_; }
    Mode currentMode() const;

    // --- timers
    void addTimer(const std::shared_ptr<Timer>& timer, ModeSet modes);

    // --- delayed performs
    // Runs `action` after `delay` in `modes`, unless the target is gone by then
    // or the perform is cancelled. Performs are identified by target and selector.
    // A null target never runs. A negative delay counts as zero.
    void performSelector(const WeakObjectPtr& target,
                         const std::string& selector,
                         std::function<void()> action,
                         Duration delay,
                         ModeSet modes = Mode::Default);
    // Sends `selector` to the target (no sender).
    void performSelector(const WeakObjectPtr& target,
                         const Selector& selector,
                         Duration delay,
                         ModeSet modes = Mode::Default);
    void cancelPreviousPerformRequests(const Object* target, const std::string& selector);
    std::size_t pendingPerformCount(const Object* target, const std::string& selector) const;

    // --- sources
    // The loop keeps the source until it is removed. Adding it again adds modes.
    void addSource(const std::shared_ptr<RunLoopSource>& source, ModeSet modes);
    void removeSource(const std::shared_ptr<RunLoopSource>& source);
    bool containsSource(const RunLoopSource* source) const;
    // The fd sources that run in the current mode (the front end watches these).
    std::vector<std::shared_ptr<RunLoopSource>> fdSourcesInCurrentMode() const;

    // --- running
    // Makes `mode` current until the returned guard is destroyed (nesting).
    class ModeScope {
      public:
        ModeScope(RunLoop& loop, Mode mode);
        ~ModeScope();
        ModeScope(const ModeScope&) = delete;
        ModeScope& operator=(const ModeScope&) = delete;

      private:
        RunLoop& loop_;
    };

    // Runs, in the current mode, every signalled source and every timer and
    // perform whose deadline is at or before now, in deadline order (FIFO on
    // equal deadlines; a signal counts as due when it was raised). Work they
    // schedule runs on the next call, never in this one, so an item that
    // reschedules itself at once cannot starve the caller (nextDeadline() is
    // then already due). Returns the number of items run. Exceptions escaping
    // an item are reported on stderr; the loop carries on.
    std::size_t runDue();

    // When the next item of the current mode falls due (nullopt: none).
    std::optional<TimePoint> nextDeadline() const;

    // Runs the loop in `mode` until stop() is called: runs what is due, then
    // lets its pump wait for the next deadline or a readable fd source (on a
    // ManualClock the pump moves virtual time to the next deadline instead;
    // with nothing left to wait for, the run ends). Nested calls are allowed; stop() ends
    // the innermost one. A readable fd is delivered by signalling its source;
    // an fd that is closed under the loop gets its source removed.
    void runInMode(Mode mode);
    void stop();

  private:
    struct Impl;
    Clock& clock_;
    std::unique_ptr<RunLoopPump> pump_;
    std::unique_ptr<Impl> impl_;

    friend class Timer;
    friend class RunLoopSource;
    void timerInvalidated(Timer& timer);
    void sourceSignalled(RunLoopSource& source);
    void pushMode(Mode mode);
    void popMode();
};

}  // namespace platform
