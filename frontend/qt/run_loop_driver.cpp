#include "frontend/qt/run_loop_driver.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <chrono>
#include <limits>
#include <set>

namespace frontend {

RunLoopDriver::RunLoopDriver(platform::RunLoop& loop, QObject* parent)
    : QObject(parent), loop_(loop) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        armedFor_.reset();
        runDue();
    });
    // Nested loops (message boxes, pop-ups) share the one dispatcher, so this
    // also keeps the run loop going inside them, in whatever mode is current.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &RunLoopDriver::sync);
    }
    sync();
}

RunLoopDriver::~RunLoopDriver() = default;

void RunLoopDriver::runDue() {
    loop_.runDue();
    sync();
}

void RunLoopDriver::sync() {
    armTimer();
    syncNotifiers();
}

void RunLoopDriver::armTimer() {
    const auto deadline = loop_.nextDeadline();
    if (!deadline) {
        timer_.stop();
        armedFor_.reset();
        return;
    }
    using namespace std::chrono;
    const auto remaining = *deadline - loop_.clock().now();
    // Round up so the timer never fires before the item is due.
    const auto ms = remaining <= platform::Duration::zero() ? milliseconds::zero()
                                                            : ceil<milliseconds>(remaining);
    const int wait =
        static_cast<int>(std::min<milliseconds::rep>(ms.count(), std::numeric_limits<int>::max()));
    // Already armed for it: leave the timer be, unless the clock jumped
    // ahead (a virtual one) and the item is due sooner than the timer fires.
    if (armedFor_ == deadline && timer_.isActive() && timer_.remainingTime() <= wait + 1) {
        return;
    }
    armedFor_ = deadline;
    timer_.start(wait);
}

void RunLoopDriver::syncNotifiers() {
    std::set<const platform::RunLoopSource*> wanted;
    for (const auto& source : loop_.fdSourcesInCurrentMode()) {
        if (!source || source->fd() < 0) {
            continue;
        }
        wanted.insert(source.get());
        if (notifiers_.count(source.get()) != 0) {
            continue;
        }
        auto notifier = std::make_unique<QSocketNotifier>(source->fd(), QSocketNotifier::Read);
        std::weak_ptr<platform::RunLoopSource> weak = source;
        connect(notifier.get(), &QSocketNotifier::activated, this,
                [this, weak] { fdReadable(weak); });
        notifiers_.emplace(source.get(), Watch{weak, std::move(notifier)});
    }
    for (auto it = notifiers_.begin(); it != notifiers_.end();) {
        if (wanted.count(it->first) == 0 || it->second.source.expired()) {
            // Never destroyed from inside its own signal: syncing happens
            // from the timer or before Qt waits.
            it->second.notifier->setEnabled(false);
            it->second.notifier.release()->deleteLater();
            it = notifiers_.erase(it);
        } else {
            ++it;
        }
    }
}

void RunLoopDriver::fdReadable(const std::weak_ptr<platform::RunLoopSource>& weak) {
    auto source = weak.lock();
    if (source && loop_.containsSource(source.get())) {
        source->perform();
    }
    // Work the source scheduled, and its removal, are picked up before Qt
    // waits again.
    runDue();
}

}  // namespace frontend
