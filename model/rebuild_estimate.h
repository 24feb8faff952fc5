// Time left of a rebuild, from the progress the controller reports at
// successive readings. The controller gives whole percents only, so the rate
// is taken between the readings at which the percentage changed, over a short
// window, and trusted only when the older and the newer half of that window
// agree. A rebuild whose percentage has not moved for much longer than it
// usually takes per step counts as stalled: its time left is unknown.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "platform/runloop/clock.h"

class RebuildEstimate {
  public:
    // Changes of the percentage the rate is taken over (the newest ones).
    static constexpr std::size_t kWindow = 6;
    // Changes needed before any estimate: two steps to compare.
    static constexpr std::size_t kMinimumChanges = 3;
    // The halves of the window agree when their rates differ by less than this factor.
    static constexpr double kSteadyFactor = 1.5;
    // Stalled when no change was seen for this many times the usual time per step.
    static constexpr double kStallFactor = 3.0;

    // One reading: `percent` of the rebuild done at `when`. A percentage lower
    // than the last one means a new rebuild: the history starts again.
    void addReading(platform::TimePoint when, int percent);
    // Forgets everything (the rebuild ended or was cancelled).
    void reset();

    // Seconds left at `now`, rounded to whole seconds; empty while the rate is
    // not steady yet, or when the rebuild stalled.
    std::optional<long long> secondsRemaining(platform::TimePoint now) const;

    bool stalled(platform::TimePoint now) const;

  private:
    struct Change {
        platform::TimePoint when;
        int percent;
    };
    // Percent per second between two changes of the window.
    double rateBetween(std::size_t from, std::size_t to) const;

    std::optional<int> lastPercent_;
    std::deque<Change> changes_;
};
