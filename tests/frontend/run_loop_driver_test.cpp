#include "frontend/qt/run_loop_driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "frontend_test_support.h"
#include "platform/runloop/clock.h"

namespace frontend {
namespace {

using platform::Mode;
using platform::seconds;

class RunLoopDriverTest : public ::testing::Test {
  protected:
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    RunLoopDriver driver{loop};
    std::shared_ptr<platform::Object> target = std::make_shared<platform::Object>();
    std::vector<std::string> ran;

    void perform(const std::string& name, double delay, platform::ModeSet modes = Mode::Default) {
        loop.performSelector(
            target, name, [this, name] { ran.push_back(name); }, seconds(delay), modes);
    }
};

TEST_F(RunLoopDriverTest, RunsAPerformThatIsDueFromQtsEventLoop) {
    perform("now", 0);
    EXPECT_TRUE(testing::processUntil([&] { return !ran.empty(); }));
    EXPECT_EQ(ran, std::vector<std::string>{"now"});
}

TEST_F(RunLoopDriverTest, RunsALaterPerformOnlyOnceItsTimeHasCome) {
    perform("later", 5);
    testing::processPending();
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(driver.isTimerArmed());

    clock.advance(seconds(4.9));
    testing::processPending();
    EXPECT_TRUE(ran.empty());

    clock.advance(seconds(0.1));
    EXPECT_TRUE(testing::processUntil([&] { return !ran.empty(); }));
    EXPECT_FALSE(driver.isTimerArmed());
}

TEST_F(RunLoopDriverTest, HoldsDefaultModeWorkWhileAnotherModeIsCurrent) {
    {
        platform::RunLoop::ModeScope modal(loop, Mode::ModalPanel);
        perform("default", 0, Mode::Default);
        perform("common", 0, platform::kCommonModes);
        EXPECT_TRUE(testing::processUntil([&] { return !ran.empty(); }));
        testing::processPending();
        EXPECT_EQ(ran, std::vector<std::string>{"common"});
    }
    EXPECT_TRUE(testing::processUntil([&] { return ran.size() == 2; }));
    EXPECT_EQ(ran.back(), "default");
}

class PipeSource : public platform::RunLoopSource {
  public:
    explicit PipeSource(int fd) : fd_(fd) {}
    int fd() const override { return fd_; }
    void perform() override {
        char byte;
        while (::read(fd_, &byte, 1) == 1) {
            ++bytes;
        }
    }
    int bytes = 0;

  private:
    int fd_;
};

TEST_F(RunLoopDriverTest, PerformsAnFdSourceWhenItsFdIsReadableAndStopsWatchingOnceRemoved) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    auto source = std::make_shared<PipeSource>(fds[0]);
    loop.addSource(source, platform::kCommonModes);
    driver.sync();
    EXPECT_EQ(driver.watchedFdCount(), 1u);

    ASSERT_EQ(::write(fds[1], "xy", 2), 2);
    EXPECT_TRUE(testing::processUntil([&] { return source->bytes == 2; }));

    loop.removeSource(source);
    driver.sync();
    EXPECT_EQ(driver.watchedFdCount(), 0u);
    ASSERT_EQ(::write(fds[1], "z", 1), 1);
    testing::processPending();
    EXPECT_EQ(source->bytes, 2);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(RunLoopDriverTest, WatchesAnFdSourceOnlyInItsModes) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    auto source = std::make_shared<PipeSource>(fds[0]);
    loop.addSource(source, Mode::Default);
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    {
        platform::RunLoop::ModeScope tracking(loop, Mode::EventTracking);
        driver.sync();
        EXPECT_EQ(driver.watchedFdCount(), 0u);
        testing::processPending();
        EXPECT_EQ(source->bytes, 0);
    }
    EXPECT_TRUE(testing::processUntil([&] { return source->bytes == 1; }));
    loop.removeSource(source);
    ::close(fds[0]);
    ::close(fds[1]);
}

}  // namespace
}  // namespace frontend
