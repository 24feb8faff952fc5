#include "frontend/qt/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "frontend/qt/guarded.h"

namespace frontend {

namespace {

int signalPipe[2] = {-1, -1};
unsigned graceSeconds = 5;
volatile std::sig_atomic_t firstSignal = 0;

// Ends the process the way the signal would have without a handler, so the
// parent sees what ended it.
[[noreturn]] void endBy(int sig) {
    ::signal(sig, SIG_DFL);
    ::raise(sig);
    // Inside that signal's own handler it is blocked: let it through.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::_exit(128 + sig);  // not reached
}

extern "C" void onWatchdog(int) {
    endBy(firstSignal != 0 ? static_cast<int>(firstSignal) : SIGTERM);
}

extern "C" void onTerminationSignal(int sig) {
    if (firstSignal != 0) {
        endBy(sig);  // asked twice: no more waiting
    }
    firstSignal = sig;
    // Only async-signal-safe calls here: the watchdog ends the process if the
    // main thread does not get to the shut-down in time.
    ::alarm(graceSeconds);
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void handleTerminationSignals(std::function<void()> shutDown, std::chrono::seconds grace) {
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    graceSeconds = static_cast<unsigned>(std::max<std::chrono::seconds::rep>(grace.count(), 1));
    // A notifier fires in whatever Qt event loop runs, nested ones included.
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [shutDown = std::move(shutDown)] {
                         char buffer[16];
                         while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
                         }
                         guarded("termination signal", shutDown);
                         std::fflush(nullptr);
                         // Dialogs and flows still on the stack must not carry on.
                         endBy(static_cast<int>(firstSignal));
                     });
    struct sigaction watchdog {};
    watchdog.sa_handler = onWatchdog;
    sigemptyset(&watchdog.sa_mask);
    ::sigaction(SIGALRM, &watchdog, nullptr);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(sig, &action, nullptr);
    }
}

}  // namespace frontend
