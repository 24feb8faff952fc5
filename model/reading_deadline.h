// How long the reads of one refresh may wait for the controller library, all
// together: the window's refresh, a status check or one reading of the
// monitor sets it for its scope, and a library that waits on something (the
// remote library) gives up at it. On the model's clock.
#pragma once

#include <optional>

#include "platform/runloop/clock.h"

// How long one refresh or reading may wait, unless its user says otherwise.
inline constexpr platform::Duration kDefaultReadingTimeout = std::chrono::seconds(10);

// The time by which the reads under way must be done; none when nothing set one.
std::optional<platform::TimePoint> readingDeadline();

// Sets the deadline `budget` from now for the scope, unless an enclosing
// scope's comes sooner, and brings back the one before afterwards.
class ScopedReadingDeadline {
  public:
    explicit ScopedReadingDeadline(platform::Duration budget);
    ~ScopedReadingDeadline();
    ScopedReadingDeadline(const ScopedReadingDeadline&) = delete;
    ScopedReadingDeadline& operator=(const ScopedReadingDeadline&) = delete;

  private:
    std::optional<platform::TimePoint> previous_;
};
