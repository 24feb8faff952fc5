#include "model/reading_deadline.h"

#include <algorithm>

#include "model/model_clock.h"

namespace {

std::optional<platform::TimePoint>& current() {
    static std::optional<platform::TimePoint> deadline;
    return deadline;
}

}  // namespace

std::optional<platform::TimePoint> readingDeadline() {
    return current();
}

ScopedReadingDeadline::ScopedReadingDeadline(platform::Duration budget) : previous_(current()) {
    const platform::TimePoint deadline = modelClock().now() + budget;
    current() = previous_ ? std::min(*previous_, deadline) : deadline;
}

ScopedReadingDeadline::~ScopedReadingDeadline() {
    current() = previous_;
}
