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

#include "platform/controls/object.h"
#include "platform/runloop/clock.h"

namespace platform {

enum class Mode : std::uint8_t {
    Default = 1 << 0,
    ModalPanel = 1 << 1,     // a modal alert or panel is running
    EventTracking = 1 << 2,  // a pop-up menu or a control is being tracked
};

class ModeSet {
  public:
    constexpr ModeSet() = default;
    constexpr ModeSet(Mode m)
        : bits_(static_cast<std::uint8_t>(m)) {}  // NOLINT: implicit on purpose
    constexpr ModeSet operator|(ModeSet o) const { return ModeSet(bits_ | o.bits_); }
    constexpr bool contains(Mode m) const { return (bits_ & static_cast<std::uint8_t>(m)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool operator==(const ModeSet&) const = default;

  private:
    constexpr explicit ModeSet(unsigned bits) : bits_(static_cast<std::uint8_t>(bits)) {}
    std::uint8_t bits_ = 0;
};

constexpr ModeSet operator|(Mode a, Mode b) {
    return ModeSet(a) | ModeSet(b);
}

// The common-modes set: every mode.
inline constexpr ModeSet kCommonModes = Mode::Default | Mode::ModalPanel | Mode::EventTracking;

class RunLoop;

// A timer fires its callback after its interval, and again every interval when
// repeating, while it is valid and in a run loop. Invalidating it (or
// destroying the last reference to it) guarantees it never fires again. The
// loop does not keep a timer alive: whoever adds it keeps it.
class Timer : public Object {
  public:
    using Callback = std::function<void(Timer&)>;

    static std::shared_ptr<Timer> create(Duration interval, bool repeats, Callback callback);
    // Sends `selector` to `target` (the timer as sender); the timer
    // invalidates itself once the target is gone.
    static std::shared_ptr<Timer> create(Duration interval,
                                         bool repeats,
                                         WeakObjectPtr target,
                                         Selector selector);
    ~Timer() override;

    // A repeating timer's interval is at least kMinimumInterval, so it
    // cannot keep the loop busy forever.
    static constexpr Duration kMinimumInterval = std::chrono::microseconds(100);

    Duration interval() const { return interval_; }
    // When it fires next (set when it is added to a run loop).
    TimePoint fireDate() const { return fireDate_; }
    bool repeats() const { return repeats_; }
    bool isValid() const { return valid_; }
    void invalidate();

  private:
    friend class RunLoop;
    Timer(Duration interval, bool repeats, Callback callback);

    Duration interval_;
    bool repeats_;
    bool valid_ = true;
    Callback callback_;
    TimePoint fireDate_{};
    RunLoop* loop_ = nullptr;
};

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
    explicit RunLoop(Clock& clock);
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
    // waits for the next deadline or a readable fd source (on a ManualClock
    // the wait moves virtual time to the next deadline instead; with nothing
    // left to wait for, the run ends). Nested calls are allowed; stop() ends
    // the innermost one. A readable fd is delivered by signalling its source;
    // an fd that is closed under the loop gets its source removed.
    void runInMode(Mode mode);
    void stop();

  private:
    struct Impl;
    Clock& clock_;
    std::unique_ptr<Impl> impl_;

    friend class Timer;
    friend class RunLoopSource;
    void timerInvalidated(Timer& timer);
    void sourceSignalled(RunLoopSource& source);
    void pushMode(Mode mode);
    void popMode();
};

}  // namespace platform
