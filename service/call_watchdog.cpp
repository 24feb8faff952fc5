#include "service/call_watchdog.h"

#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace service {

namespace {

void write2(const char* text) {
    ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

// The library holds the other thread, perhaps inside the C library's locks:
// nothing here allocates, locks or flushes.
[[noreturn]] void endHungService(const char* operation) {
    write2("norvik-raidd: the controller library did not return from ");
    write2(operation);
    write2(" in time; ending the service\n");
    ::_exit(kExitCallHung);
}

}  // namespace

CallWatchdog::CallWatchdog(std::chrono::milliseconds limit) : limit_(limit) {
    if (limit_.count() <= 0) {
        throw std::invalid_argument("the call time limit must be positive");
    }
    thread_ = std::thread([this] { watch(); });
}

CallWatchdog::~CallWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    thread_.join();
}

void CallWatchdog::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!operation_) {
            changed_.wait(lock);
            continue;
        }
        const std::uint64_t watched = generation_;
        // steady_clock waits on CLOCK_MONOTONIC: a changed wall clock moves nothing.
        const bool ended = changed_.wait_until(lock, deadline_,
                                               [&] { return stopping_ || generation_ != watched; });
        if (!ended) {
            endHungService(operation_);
        }
    }
}

CallWatchdog::Armed CallWatchdog::arm(const char* operation) {
    {
        std::lock_guard lock(mutex_);
        operation_ = operation ? operation : "a call";
        deadline_ = std::chrono::steady_clock::now() + limit_;
        ++generation_;
    }
    changed_.notify_one();
    return Armed(*this);
}

void CallWatchdog::disarm() {
    {
        std::lock_guard lock(mutex_);
        operation_ = nullptr;
        ++generation_;
    }
    changed_.notify_one();
}

CallWatchdog::Armed::~Armed() {
    watchdog_.disarm();
}

}  // namespace service
