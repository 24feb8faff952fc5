// Ends the process when one library call runs longer than the limit: the
// vendor library is closed code, and a call that never returns would hold
// every client's requests for good. Exiting lets the service manager start a
// fresh process. Armed only around library calls, with a one-shot interval
// timer, so an idle service has no wake-ups of its own.
#pragma once

#include <chrono>

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
        Armed() = default;
    };
    // `operation` names the call in the message written when the limit passes;
    // it must be a string that lives for the whole program.
    [[nodiscard]] Armed arm(const char* operation);

  private:
    std::chrono::milliseconds limit_;
};

}  // namespace service
