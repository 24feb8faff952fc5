// Sources: signalled ones honour modes; fd ones are watched with poll() on
// the system clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "platform/runloop/virtual_time_driver.h"

namespace platform {
namespace {

class CountingSource : public RunLoopSource {
  public:
    explicit CountingSource(int fd = -1, std::function<void()> onPerform = {})
        : fd_(fd), onPerform_(std::move(onPerform)) {}
    int fd() const override { return fd_; }
    void perform() override {
        ++performed;
        if (onPerform_) {
            onPerform_();
        }
    }
    int performed = 0;

  private:
    int fd_;
    std::function<void()> onPerform_;
};

TEST(RunLoopSource, SignalledSourceRunsOnceInItsModesOnly) {
    VirtualTimeDriver driver;
    RunLoop& loop = driver.runLoop();
    auto defaultOnly = std::make_shared<CountingSource>();
    auto common = std::make_shared<CountingSource>();
    loop.addSource(defaultOnly, Mode::Default);
    loop.addSource(common, kCommonModes);
    {
        RunLoop::ModeScope modal(loop, Mode::ModalPanel);
        defaultOnly->signal();
        defaultOnly->signal();  // coalesces with the pending one
        common->signal();
        driver.runUntilIdle();
        EXPECT_EQ(defaultOnly->performed, 0);
        EXPECT_EQ(common->performed, 1);
    }
    driver.runUntilIdle();
    EXPECT_EQ(defaultOnly->performed, 1);
    EXPECT_FALSE(defaultOnly->isSignalled());
}

TEST(RunLoopSource, RemovedSourceIsNotPerformedAndSignalBeforeAddIsKept) {
    VirtualTimeDriver driver;
    RunLoop& loop = driver.runLoop();
    auto source = std::make_shared<CountingSource>();
    loop.addSource(source, Mode::Default);
    source->signal();
    loop.removeSource(source);
    EXPECT_FALSE(loop.containsSource(source.get()));
    driver.runUntilIdle();
    EXPECT_EQ(source->performed, 0);

    loop.addSource(source, Mode::Default);  // still signalled from before
    driver.runUntilIdle();
    EXPECT_EQ(source->performed, 1);
}

class Pipe {
  public:
    Pipe() { EXPECT_EQ(::pipe(fds_), 0); }
    ~Pipe() {
        closeRead();
        if (fds_[1] >= 0) {
            ::close(fds_[1]);
        }
    }
    int readEnd() const { return fds_[0]; }
    void write(char c) { ASSERT_EQ(::write(fds_[1], &c, 1), 1); }
    void closeRead() {
        if (fds_[0] >= 0) {
            ::close(fds_[0]);
            fds_[0] = -1;
        }
    }

  private:
    int fds_[2] = {-1, -1};
};

TEST(RunLoopSource, ReadableFdIsPerformedByASystemClockRun) {
    SystemClock clock;
    RunLoop loop(clock);
    Pipe pipe;
    char got = 0;
    auto source = std::make_shared<CountingSource>(pipe.readEnd(), [&] {
        ASSERT_EQ(::read(pipe.readEnd(), &got, 1), 1);
        loop.stop();
    });
    loop.addSource(source, kCommonModes);
    EXPECT_EQ(loop.fdSourcesInCurrentMode().size(), 1u);
    pipe.write('x');  // already readable: poll returns at once
    loop.runInMode(Mode::Default);
    EXPECT_EQ(source->performed, 1);
    EXPECT_EQ(got, 'x');
}

TEST(RunLoopSource, FdClosedUnderTheLoopIsDroppedInsteadOfSpinning) {
    SystemClock clock;
    RunLoop loop(clock);
    Pipe pipe;
    const int fd = pipe.readEnd();
    auto source = std::make_shared<CountingSource>(fd);
    loop.addSource(source, Mode::Default);
    ::testing::internal::CaptureStderr();  // first, so its files cannot reuse the fd number
    pipe.closeRead();
    loop.runInMode(Mode::Default);  // returns: nothing left to wait for
    ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(loop.containsSource(source.get()));
    EXPECT_EQ(source->performed, 0);
}

}  // namespace
}  // namespace platform
