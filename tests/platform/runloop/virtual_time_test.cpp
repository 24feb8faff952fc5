// Scheduling as the application relies on it: coalescing delayed performs,
// modes, timers, and the virtual-time driver's ordering.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/runloop/virtual_time_driver.h"

namespace platform {
namespace {

struct Target : Object {
    std::vector<std::string> log;
    std::vector<TimePoint> times;
};

class VirtualTimeTest : public ::testing::Test {
  protected:
    VirtualTimeDriver driver;
    RunLoop& loop = driver.runLoop();
    std::shared_ptr<Target> target = std::make_shared<Target>();

    double elapsed() const {
        return std::chrono::duration<double>(driver.now().time_since_epoch()).count();
    }
    // What queueRescanEvent does: cancel the pending one, schedule anew.
    void request(const std::string& selector, Duration delay, ModeSet modes = Mode::Default) {
        loop.cancelPreviousPerformRequests(target.get(), selector);
        loop.performSelector(
            target, selector,
            [t = target.get(), selector, this] {
                t->log.push_back(selector);
                t->times.push_back(driver.now());
            },
            delay, modes);
    }
};

TEST_F(VirtualTimeTest, CoalescedRequestsRunOnceOneDelayAfterTheLast) {
    request("scan", seconds(1.0));
    driver.fastForwardBy(seconds(0.5));
    request("scan", seconds(1.0));
    driver.fastForwardBy(seconds(0.5));
    request("scan", seconds(1.0));  // at 1.0 s

    driver.fastForwardBy(seconds(0.999));
    EXPECT_TRUE(target->log.empty());
    EXPECT_EQ(loop.pendingPerformCount(target.get(), "scan"), 1u);

    driver.fastForwardBy(seconds(0.001));
    ASSERT_EQ(target->log.size(), 1u);
    EXPECT_EQ(target->times[0], TimePoint{} + seconds(2.0));

    driver.fastForwardBy(seconds(10));
    EXPECT_EQ(target->log.size(), 1u);
}

TEST_F(VirtualTimeTest, CancellingOneSelectorOrTargetLeavesTheOthers) {
    auto other = std::make_shared<Target>();
    request("scan", seconds(1));
    request("update", seconds(1), kCommonModes);
    loop.performSelector(
        other, "scan", [&] { other->log.push_back("scan"); }, seconds(1));

    request("scan", seconds(2));  // replaces only this target's scan
    driver.fastForwardBy(seconds(3));
    EXPECT_EQ(target->log, (std::vector<std::string>{"update", "scan"}));
    EXPECT_EQ(other->log, std::vector<std::string>{"scan"});
}

TEST_F(VirtualTimeTest, RunsInDeadlineOrderAndFifoOnTies) {
    std::vector<int> order;
    auto add = [&](int id, double delay) {
        loop.performSelector(
            target, "p" + std::to_string(id), [&order, id] { order.push_back(id); },
            seconds(delay));
    };
    add(1, 2.0);
    add(2, 1.0);
    add(3, 1.0);
    add(4, 0.0);
    add(5, -1.0);  // counts as no delay, after 4
    driver.fastForwardBy(seconds(5));
    EXPECT_EQ(order, (std::vector<int>{4, 5, 2, 3, 1}));
}

TEST_F(VirtualTimeTest, WorkScheduledWhileAdvancingRunsAtItsOwnDeadline) {
    loop.performSelector(
        target, "first",
        [&] {
            target->log.push_back("first");
            request("second", seconds(0.5));
            request("now", Duration::zero());
        },
        seconds(1));
    driver.fastForwardBy(seconds(2));
    EXPECT_EQ(target->log, (std::vector<std::string>{"first", "now", "second"}));
    EXPECT_EQ(target->times[1], TimePoint{} + seconds(1.5));
    EXPECT_EQ(driver.now(), TimePoint{} + seconds(2));
}

TEST_F(VirtualTimeTest, DefaultModePerformWaitsThroughAModalRun) {
    request("scan", seconds(1));                  // default mode only
    request("update", seconds(1), kCommonModes);  // also while modal
    {
        RunLoop::ModeScope modal(loop, Mode::ModalPanel);
        driver.fastForwardBy(seconds(5));
        EXPECT_EQ(target->log, std::vector<std::string>{"update"});
    }
    EXPECT_EQ(loop.currentMode(), Mode::Default);
    driver.runUntilIdle();
    EXPECT_EQ(target->log, (std::vector<std::string>{"update", "scan"}));
}

TEST_F(VirtualTimeTest, CommonModesTimerFiresInsideTheModalRunAndKeepsItsPeriod) {
    std::vector<TimePoint> fires;
    auto timer = Timer::createRepeating(seconds(10), [&](Timer&) {
        fires.push_back(driver.now());
        driver.clock().sleepFor(seconds(3));  // a slow tick must not shift the period
    });
    loop.addTimer(timer, kCommonModes);
    {
        RunLoop::ModeScope modal(loop, Mode::ModalPanel);
        driver.fastForwardBy(seconds(25));
    }
    driver.fastForwardBy(seconds(10));
    const auto t0 = TimePoint{};
    EXPECT_EQ(fires,
              (std::vector<TimePoint>{t0 + seconds(10), t0 + seconds(20), t0 + seconds(30)}));
}

TEST_F(VirtualTimeTest, RepeatingTimerSkipsMissedFiresWithoutDrifting) {
    int fires = 0;
    auto timer = Timer::createRepeating(seconds(10), [&](Timer&) { ++fires; });
    loop.addTimer(timer, Mode::Default);
    driver.clock().advance(seconds(35));  // the loop did not run for a while
    EXPECT_EQ(loop.runDue(), 1u);
    EXPECT_EQ(timer->fireDate(), TimePoint{} + seconds(40));
    driver.fastForwardBy(seconds(5));
    EXPECT_EQ(fires, 2);
}

TEST_F(VirtualTimeTest, DefaultModeTimerDoesNotFireWhileTracking) {
    int fires = 0;
    auto timer = Timer::createSingleShot(seconds(1), [&](Timer&) { ++fires; });
    loop.addTimer(timer, Mode::Default);
    {
        RunLoop::ModeScope tracking(loop, Mode::EventTracking);
        driver.fastForwardBy(seconds(2));
    }
    EXPECT_EQ(fires, 0);
    driver.runUntilIdle();
    EXPECT_EQ(fires, 1);
    EXPECT_FALSE(timer->isValid());  // a one-shot timer is done after firing
}

TEST_F(VirtualTimeTest, InvalidatedOrReleasedTimersAndGoneTargetsNeverFire) {
    int fired = 0;
    auto invalidated = Timer::createRepeating(seconds(1), [&](Timer&) { ++fired; });
    loop.addTimer(invalidated, kCommonModes);
    invalidated->invalidate();

    auto released = Timer::createRepeating(seconds(1), [&](Timer&) { ++fired; });
    loop.addTimer(released, kCommonModes);
    released.reset();

    auto selfStopping = Timer::createRepeating(seconds(1), [&](Timer& t) {
        ++fired;
        t.invalidate();
    });
    loop.addTimer(selfStopping, kCommonModes);

    auto gone = std::make_shared<Target>();
    loop.performSelector(
        gone, "scan", [&] { ++fired; }, seconds(1));
    auto timerTarget = std::make_shared<Target>();
    auto targetTimer = Timer::createRepeating(seconds(1), timerTarget,
                                              Selector("tick", [&](Object&, Object*) { ++fired; }));
    loop.addTimer(targetTimer, kCommonModes);
    gone.reset();
    timerTarget.reset();

    driver.fastForwardBy(seconds(5));
    EXPECT_EQ(fired, 1);  // the self-stopping timer, once
    EXPECT_FALSE(targetTimer->isValid());
}

TEST_F(VirtualTimeTest, SelectorPerformAndTimerReachTheirTarget) {
    std::vector<Object*> senders;
    Selector tick("tick", [&](Object&, Object* sender) { senders.push_back(sender); });
    loop.performSelector(target, tick, seconds(1), kCommonModes);
    auto timer = Timer::createSingleShot(seconds(2), target, tick);
    loop.addTimer(timer, Mode::Default);
    driver.fastForwardBy(seconds(3));
    EXPECT_EQ(senders, (std::vector<Object*>{nullptr, timer.get()}));
}

TEST_F(VirtualTimeTest, RunDueLeavesWorkScheduledDuringTheCallToTheNextCall) {
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        loop.performSelector(target, "again", again, Duration::zero());
    };
    loop.performSelector(target, "again", again, Duration::zero());
    EXPECT_EQ(loop.runDue(), 1u);
    EXPECT_EQ(loop.nextDeadline(), driver.now());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(driver.runUntilIdle(), VirtualTimeDriver::kMaxItems);  // gives up instead of hanging
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("gave up"), std::string::npos);
    loop.cancelPreviousPerformRequests(target.get(), "again");
    EXPECT_EQ(loop.nextDeadline(), std::nullopt);
}

TEST_F(VirtualTimeTest, AnExceptionEscapingAnItemIsReportedAndTheLoopCarriesOn) {
    loop.performSelector(
        target, "throws", [] { throw std::runtime_error("boom"); }, seconds(1));
    request("after", seconds(1));
    ::testing::internal::CaptureStderr();
    driver.fastForwardBy(seconds(1));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("boom"), std::string::npos);
    EXPECT_EQ(target->log, std::vector<std::string>{"after"});
}

TEST_F(VirtualTimeTest, NestedRunEndsOnStopAndOuterRunCarriesOn) {
    std::vector<std::string> log;
    loop.performSelector(
        target, "openModal",
        [&] {
            auto closer = Timer::createSingleShot(seconds(2), [&](Timer&) {
                log.push_back("modal tick");
                loop.stop();
            });
            loop.addTimer(closer, Mode::ModalPanel);
            loop.runInMode(Mode::ModalPanel);
            log.push_back("modal ended");
            loop.stop();  // ends the outer run
        },
        seconds(1));
    request("late", seconds(100));
    loop.runInMode(Mode::Default);
    EXPECT_EQ(log, (std::vector<std::string>{"modal tick", "modal ended"}));
    EXPECT_EQ(driver.now(), TimePoint{} + seconds(3));
    EXPECT_TRUE(target->log.empty());
}

TEST_F(VirtualTimeTest, RunInModeOnAManualClockEndsWhenNothingIsLeft) {
    request("a", seconds(4));
    loop.runInMode(Mode::Default);
    EXPECT_EQ(target->log, std::vector<std::string>{"a"});
    EXPECT_EQ(driver.now(), TimePoint{} + seconds(4));
}

TEST(RunLoopCurrent, IsTheInnermostLiveLoop) {
    ManualClock clock;
    {
        RunLoop outer(clock);
        {
            RunLoop inner(clock);
            EXPECT_EQ(RunLoop::current(), &inner);
        }
        EXPECT_EQ(RunLoop::current(), &outer);
    }
    EXPECT_EQ(RunLoop::current(), nullptr);
}

}  // namespace
}  // namespace platform
