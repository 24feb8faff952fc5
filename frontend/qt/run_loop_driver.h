// Lets Qt's event loop drive our run loop: one QTimer armed for the next item
// due in the current mode, one QSocketNotifier per fd source of that mode.
// Whenever Qt is about to wait (in the main loop or in a nested one such as a
// message box or an open pop-up), the timer and the notifiers are brought in
// step with the run loop, so work scheduled by an action or a mode switch is
// picked up without polling.
#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "platform/runloop/run_loop.h"

class QSocketNotifier;

namespace frontend {

class RunLoopDriver : public QObject {
  public:
    explicit RunLoopDriver(platform::RunLoop& loop, QObject* parent = nullptr);
    ~RunLoopDriver() override;

    // Re-arms the timer and the notifiers from the run loop's current state.
    void sync();

    // Runs what is due now in the current mode, then re-arms.
    void runDue();

    // For tests: whether the timer is armed, and the number of fds watched.
    bool isTimerArmed() const { return timer_.isActive(); }
    std::size_t watchedFdCount() const { return notifiers_.size(); }

  private:
    void armTimer();
    void syncNotifiers();
    void fdReadable(const std::weak_ptr<platform::RunLoopSource>& source);

    platform::RunLoop& loop_;
    QTimer timer_;
    std::optional<platform::TimePoint> armedFor_;
    struct Watch {
        std::weak_ptr<platform::RunLoopSource> source;
        std::unique_ptr<QSocketNotifier> notifier;
    };
    std::map<const platform::RunLoopSource*, Watch> notifiers_;
};

}  // namespace frontend
