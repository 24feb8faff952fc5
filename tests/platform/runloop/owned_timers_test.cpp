// Timers held as members: the debouncer that coalesces requests per mode,
// and the restartable repeating timer.
#include "platform/runloop/owned_timers.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/runloop/virtual_time_driver.h"

namespace platform {
namespace {

class OwnedTimers : public testing::Test {
  protected:
    VirtualTimeDriver driver;
    int runs = 0;
};

TEST_F(OwnedTimers, ABurstOfRequestsRunsOnceOneDelayAfterTheLast) {
    Debouncer debounce(seconds(1), Mode::Default, [&] { ++runs; });
    for (int i = 0; i < 3; ++i) {
        debounce.request();
        driver.fastForwardBy(seconds(0.5));
    }
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(debounce.isPending());
    driver.fastForwardBy(seconds(0.5));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(debounce.isPending());
    driver.fastForwardBy(seconds(10));
    EXPECT_EQ(runs, 1);
}

TEST_F(OwnedTimers, AShorterRequestReplacesALongerOne) {
    Debouncer debounce(seconds(1), kCommonModes, [&] { ++runs; });
    debounce.request(seconds(1));
    debounce.request(Duration::zero());
    driver.runUntilIdle();
    EXPECT_EQ(runs, 1);
    driver.fastForwardBy(seconds(5));
    EXPECT_EQ(runs, 1);
}

// A default-mode request waits out a modal run; a common-modes one runs inside.
TEST_F(OwnedTimers, RequestsRunOnlyInTheirModes) {
    int inside = 0;
    Debouncer defaultOnly(seconds(1), Mode::Default, [&] { ++runs; });
    Debouncer everywhere(seconds(1), kCommonModes, [&] { ++inside; });
    defaultOnly.request();
    everywhere.request();
    {
        RunLoop::ModeScope modal(driver.runLoop(), Mode::ModalPanel);
        driver.fastForwardBy(seconds(3));
        EXPECT_EQ(runs, 0);
        EXPECT_EQ(inside, 1);
    }
    driver.runUntilIdle();
    EXPECT_EQ(runs, 1);
}

TEST_F(OwnedTimers, NothingRunsOnceTheOwnerIsGoneOrTheRequestCancelled) {
    {
        Debouncer debounce(seconds(1), kCommonModes, [&] { ++runs; });
        debounce.request();
    }
    Debouncer cancelled(seconds(1), kCommonModes, [&] { ++runs; });
    cancelled.request();
    cancelled.cancel();
    std::optional<RepeatingTimer> repeating;
    repeating.emplace(seconds(1), kCommonModes, [&] { ++runs; });
    repeating->start();
    repeating.reset();
    driver.fastForwardBy(seconds(5));
    EXPECT_EQ(runs, 0);
}

TEST_F(OwnedTimers, ARepeatingTimerStartedTwiceTicksOncePerInterval) {
    RepeatingTimer timer(seconds(10), kCommonModes, [&] { ++runs; });
    EXPECT_EQ(timer.timer(), nullptr);
    timer.stop();  // before any start: nothing to stop
    timer.start();
    auto first = timer.timer();
    timer.start();
    EXPECT_FALSE(first->isValid());
    EXPECT_TRUE(timer.isRunning());
    driver.fastForwardBy(seconds(30));
    EXPECT_EQ(runs, 3);
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    EXPECT_NE(timer.timer(), nullptr) << "the stopped timer stays readable";
    driver.fastForwardBy(seconds(30));
    EXPECT_EQ(runs, 3);
}

}  // namespace
}  // namespace platform
