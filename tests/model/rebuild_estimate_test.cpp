#include "model/rebuild_estimate.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct Reading {
    double seconds;
    int percent;
};

struct Case {
    const char* name;
    std::vector<Reading> readings;
    double askAt;  // seconds
    std::optional<long long> expected;
};

platform::TimePoint at(double seconds) {
    return platform::TimePoint{} + platform::seconds(seconds);
}

// One reading a minute at `percentPerMinute` from `from` percent, `count` readings from `start`.
std::vector<Reading> steady(int from, int percentPerMinute, int count, double start = 0) {
    std::vector<Reading> readings;
    for (int i = 0; i < count; ++i) {
        readings.push_back({start + 60.0 * i, from + percentPerMinute * i});
    }
    return readings;
}

std::vector<Reading> operator+(std::vector<Reading> a, const std::vector<Reading>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class RebuildEstimateCases : public testing::TestWithParam<Case> {};

TEST_P(RebuildEstimateCases, GivesTheTimeLeftOnlyWhenTheRateIsSteady) {
    const Case& c = GetParam();
    RebuildEstimate estimate;
    for (const Reading& r : c.readings) {
        estimate.addReading(at(r.seconds), r.percent);
    }
    EXPECT_EQ(estimate.secondsRemaining(at(c.askAt)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Progress,
    RebuildEstimateCases,
    testing::Values(
        Case{"NothingFromOneReading", steady(10, 1, 1), 0, std::nullopt},
        Case{"NothingFromTwoSteps", steady(10, 1, 3), 120, std::nullopt},
        // 13 % at 180 s, one percent a minute: 87 minutes left.
        Case{"SteadyAfterThreeSteps", steady(10, 1, 4), 180, 87 * 60},
        Case{"CountsDownBetweenReadings", steady(10, 1, 4), 210, 87 * 60 - 30},
        Case{"SteadyWithCoarseSteps", steady(0, 5, 8), 420, 65 * 12},
        Case{"DoneMeansNothingLeft", steady(97, 1, 4), 180, 0},
        // One percent a minute, then four: the halves disagree for a while...
        Case{"NotTrustedRightAfterTheRateChanged", steady(10, 1, 5) + steady(18, 4, 2, 300), 360,
             std::nullopt},
        // ...until the window holds only the new rate: 22 % left at 4 a minute.
        Case{"FollowsTheNewRateOnceSteadyAgain", steady(10, 1, 5) + steady(18, 4, 6, 300), 600,
             (100 - 38) * 15},
        // No change for over three times the usual minute per step.
        Case{"StalledProgressIsUnknown", steady(10, 1, 5) + steady(14, 0, 4, 300), 480,
             std::nullopt},
        Case{"AShortPauseIsNotAStall", steady(10, 1, 5) + steady(14, 0, 2, 300), 300, 86 * 60 - 60},
        // A lower percentage is a new rebuild: the old steps do not count.
        Case{"ANewRebuildStartsOver", steady(40, 1, 6) + steady(2, 1, 3, 360), 480, std::nullopt}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(RebuildEstimate, ResetForgetsTheSteps) {
    RebuildEstimate estimate;
    for (const Reading& r : steady(10, 1, 4)) {
        estimate.addReading(at(r.seconds), r.percent);
    }
    ASSERT_TRUE(estimate.secondsRemaining(at(180)));
    estimate.reset();
    EXPECT_FALSE(estimate.secondsRemaining(at(180)));
}

}  // namespace
