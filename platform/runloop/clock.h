// Where time comes from. Everything that waits or reads the time goes through
// a Clock, so tests move virtual time instead of sleeping.
#pragma once

#include <chrono>

namespace platform {

using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

// Seconds given as a double, as intervals and delays are specified.
constexpr Duration seconds(double s) {
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(s));
}

class Clock {
  public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Blocks the calling thread on a real clock; only moves time on a virtual one.
    virtual void sleepFor(Duration d) = 0;
};

class SystemClock final : public Clock {
  public:
    TimePoint now() const override;
    void sleepFor(Duration d) override;
};

class ManualClock final : public Clock {
  public:
    explicit ManualClock(TimePoint start = TimePoint{}) : now_(start) {}
    TimePoint now() const override { return now_; }
    void sleepFor(Duration d) override { advance(d); }
    void advance(Duration d) {
        if (d > Duration::zero()) {
            now_ += d;
        }
    }
    void setNow(TimePoint t) { now_ = t; }

  private:
    TimePoint now_;
};

}  // namespace platform
