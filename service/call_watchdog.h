// Ends the process when one library call runs longer than the limit: the
// vendor library is closed code, and a call that never returns would hold
// every client's requests for good. Exiting lets the service manager start a
// fresh process. A thread of its own waits on the monotonic clock, so no
// signal mask, handler or alarm the library sets can switch it off; it sleeps
// while no call is armed, so an idle service has no wake-ups of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace service {

// The exit status of a service ended by its watchdog.
inline constexpr int kExitCallHung = 70;

class CallWatchdog {
  public:
    explicit CallWatchdog(std::chrono::milliseconds limit);
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog&) = delete;
    CallWatchdog& operator=(const CallWatchdog&) = delete;

    std::chrono::milliseconds limit() const { return limit_; }

    // Watches one call for as long as it lives.
    class Armed {
      public:
        Armed(const Armed&) = delete;
        Armed& operator=(const Armed&) = delete;
        ~Armed();

      private:
        friend class CallWatchdog;
        explicit Armed(CallWatchdog& watchdog) : watchdog_(watchdog) {}
        CallWatchdog& watchdog_;
    };
    // `operation` names the call in the message written when the limit passes;
    // it must be a string that lives for the whole program.
    [[nodiscard]] Armed arm(const char* operation);

  private:
    void watch();
    void disarm();

    const std::chrono::milliseconds limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const char* operation_ = nullptr;  // armed while set
    std::chrono::steady_clock::time_point deadline_;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace service
