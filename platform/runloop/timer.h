// A timer fires its callback after its interval, and again every interval when
// repeating, while it is valid and in a run loop. Invalidating it (or
// destroying the last reference to it) guarantees it never fires again. The
// loop does not keep a timer alive: whoever adds it keeps it.
#pragma once

#include <functional>
#include <memory>

#include "platform/core/object.h"
#include "platform/runloop/clock.h"

namespace platform {

class RunLoop;

class Timer : public Object {
  public:
    using Callback = std::function<void(Timer&)>;

    static std::shared_ptr<Timer> createSingleShot(Duration interval, Callback callback);
    static std::shared_ptr<Timer> createRepeating(Duration interval, Callback callback);
    // Send `selector` to `target` (the timer as sender); the timer
    // invalidates itself once the target is gone.
    static std::shared_ptr<Timer> createSingleShot(Duration interval,
                                                   WeakObjectPtr target,
                                                   Selector selector);
    static std::shared_ptr<Timer> createRepeating(Duration interval,
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
    static Callback sending(WeakObjectPtr target, Selector selector);

    Duration interval_;
    bool repeats_;
    bool valid_ = true;
    Callback callback_;
    TimePoint fireDate_{};
    RunLoop* loop_ = nullptr;
};

}  // namespace platform
