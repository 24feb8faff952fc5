// Every refresh of the window is asked for here: a coalesced rescan of the
// controllers (default mode only, so never inside an alert or a tracked
// menu), a coalesced device update (every mode), and the repeating refresh of
// the selected entry's texts while a mirror is listed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/runloop/owned_timers.h"

class RefreshScheduler {
  public:
    static constexpr double kRescanDelay = 1.0;
    static constexpr double kRefreshInterval = 10.0;

    struct Actions {
        std::function<void()> scanForControllers;
        std::function<void()> updateDevice;
        std::function<void()> updateInfo;
    };
    explicit RefreshScheduler(Actions actions);

    // scanForControllers 1.0 s from now, replacing a pending one.
    void queueRescanEvent();
    // updateDevice `delaySeconds` from now, replacing a pending one.
    void queueUpdateEvent(std::uint64_t delaySeconds);
    // (Re)starts the 10-second updateInfo timer; stopTimer stops it.
    void startTimer();
    void stopTimer();
    bool timerRunning() const { return refresh_.isRunning(); }

    bool rescanPending() const { return rescan_.isPending(); }
    bool updatePending() const { return update_.isPending(); }
    // The timer of the last startTimer, kept after it stopped (null before).
    const std::shared_ptr<platform::Timer>& timer() const { return refresh_.timer(); }

  private:
    platform::Debouncer rescan_;
    platform::Debouncer update_;
    platform::RepeatingTimer refresh_;
};
