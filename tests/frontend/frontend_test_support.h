// Small helpers shared by the front-end tests.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/object.h"
#include "platform/runloop/run_loop.h"

namespace frontend::testing {

// The target of the actions the tests wire up: records each call, its
// sender and the run loop's mode at the time.
class ActionRecorder : public platform::Object {
  public:
    void act(platform::Object* sender) {
        senders.push_back(sender);
        auto* loop = platform::RunLoop::current();
        modes.push_back(loop != nullptr ? loop->currentMode() : platform::Mode::Default);
    }
    static platform::Selector action() {
        return platform::makeSelector<ActionRecorder>("act:", &ActionRecorder::act);
    }

    std::vector<platform::Object*> senders;
    std::vector<platform::Mode> modes;
};

// Runs Qt's event loop (as the application does, waiting for events, so
// the run-loop driver re-arms before each wait) until `condition` holds;
// false when it does not within `timeoutMs`. Returns as soon as it holds.
inline bool processUntil(const std::function<bool()>& condition, int timeoutMs = 2000) {
    if (condition()) {
        return true;
    }
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    check.start(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

// One pass of Qt's event loop: delivers what is queued now, waits for nothing.
inline void processPending() {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace frontend::testing
