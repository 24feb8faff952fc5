#include "service/call_watchdog.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <stdexcept>

namespace service {

namespace {

std::atomic<const char*> watchedOperation{nullptr};

void write2(const char* text) {
    ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

// Only async-signal-safe calls: the process is stuck inside the library.
void onCallHung(int) {
    const char* operation = watchedOperation.load();
    write2("norvik-raidd: the controller library did not return from ");
    write2(operation ? operation : "a call");
    write2(" in time; ending the service\n");
    ::_exit(kExitCallHung);
}

void setTimer(std::chrono::milliseconds after) {
    itimerval timer{};
    timer.it_value.tv_sec = static_cast<time_t>(after.count() / 1000);
    timer.it_value.tv_usec = static_cast<suseconds_t>((after.count() % 1000) * 1000);
    ::setitimer(ITIMER_REAL, &timer, nullptr);
}

}  // namespace

CallWatchdog::CallWatchdog(std::chrono::milliseconds limit) : limit_(limit) {
    if (limit_.count() <= 0) {
        throw std::invalid_argument("the call time limit must be positive");
    }
    struct sigaction action {};
    action.sa_handler = onCallHung;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
}

CallWatchdog::~CallWatchdog() {
    setTimer(std::chrono::milliseconds(0));
    ::signal(SIGALRM, SIG_DFL);
}

CallWatchdog::Armed CallWatchdog::arm(const char* operation) {
    watchedOperation.store(operation);
    setTimer(limit_);
    return Armed();
}

CallWatchdog::Armed::~Armed() {
    setTimer(std::chrono::milliseconds(0));
    watchedOperation.store(nullptr);
}

}  // namespace service
