#include "platform/runloop/virtual_time_driver.h"

#include <cstdio>

namespace platform {

VirtualTimeDriver::VirtualTimeDriver(TimePoint start) : clock_(start), loop_(clock_) {}

std::size_t VirtualTimeDriver::runUntilIdle() {
    std::size_t total = 0;
    for (;;) {
        total += loop_.runDue();
        const auto next = loop_.nextDeadline();
        if (!next || *next > clock_.now()) {
            return total;
        }
        if (total >= kMaxItems) {
            std::fprintf(stderr, "VirtualTimeDriver: gave up after %zu items still due\n", total);
            return total;
        }
    }
}

std::size_t VirtualTimeDriver::fastForwardBy(Duration d) {
    const TimePoint target = clock_.now() + std::max(d, Duration::zero());
    std::size_t total = runUntilIdle();
    for (;;) {
        const auto next = loop_.nextDeadline();
        if (!next || *next > target) {
            break;
        }
        if (*next > clock_.now()) {
            clock_.setNow(*next);
        }
        total += runUntilIdle();
        if (total >= kMaxItems) {
            break;
        }
    }
    // An item may have slept past the target on the manual clock; time never goes back.
    if (clock_.now() < target) {
        clock_.setNow(target);
    }
    return total;
}

}  // namespace platform
