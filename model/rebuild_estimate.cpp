#include "model/rebuild_estimate.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

double secondsBetween(platform::TimePoint from, platform::TimePoint to) {
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

void RebuildEstimate::addReading(platform::TimePoint when, int percent) {
    percent = std::clamp(percent, 0, 100);
    if (lastPercent_ && percent < *lastPercent_) {
        reset();
    }
    if (lastPercent_ && percent == *lastPercent_) {
        return;
    }
    // The first reading marks only where watching began, not when its
    // percentage was reached, so only the changes after it time the steps.
    const bool first = !lastPercent_;
    lastPercent_ = percent;
    if (first) {
        return;
    }
    changes_.push_back({when, percent});
    while (changes_.size() > kWindow) {
        changes_.pop_front();
    }
}

void RebuildEstimate::reset() {
    lastPercent_.reset();
    changes_.clear();
}

double RebuildEstimate::rateBetween(std::size_t from, std::size_t to) const {
    const double seconds = secondsBetween(changes_[from].when, changes_[to].when);
    if (seconds <= 0) {
        return 0;
    }
    return (changes_[to].percent - changes_[from].percent) / seconds;
}

bool RebuildEstimate::stalled(platform::TimePoint now) const {
    if (changes_.size() < 2) {
        return false;
    }
    const double perStep = secondsBetween(changes_.front().when, changes_.back().when) /
                           static_cast<double>(changes_.size() - 1);
    return secondsBetween(changes_.back().when, now) > kStallFactor * perStep;
}

std::optional<long long> RebuildEstimate::secondsRemaining(platform::TimePoint now) const {
    if (changes_.size() < kMinimumChanges || stalled(now)) {
        return std::nullopt;
    }
    const std::size_t last = changes_.size() - 1;
    const std::size_t middle = last / 2;
    const double older = rateBetween(0, middle);
    const double newer = rateBetween(middle, last);
    if (older <= 0 || newer <= 0 ||
        std::max(older, newer) >= kSteadyFactor * std::min(older, newer)) {
        return std::nullopt;
    }
    const double rate = rateBetween(0, last);
    const double left = (100 - changes_.back().percent) / rate -
                        std::max(0.0, secondsBetween(changes_.back().when, now));
    return std::llround(std::max(0.0, left));
}
