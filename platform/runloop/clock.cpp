#include "platform/runloop/clock.h"

#include <thread>

namespace platform {

TimePoint SystemClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

void SystemClock::sleepFor(Duration d) {
    if (d > Duration::zero()) {
        std::this_thread::sleep_for(d);
    }
}

}  // namespace platform
