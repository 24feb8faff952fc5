// A termination signal ends the program whatever the main thread is doing.
// Each case runs in a child process of its own (a death test).
#include "frontend/qt/termination_signals.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace frontend {
namespace {

class TerminationSignals : public testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Stands for a library call that never returns: no event is processed.
[[noreturn]] void blockTheMainThread() {
    for (;;) {
        ::sleep(1);
    }
}

TEST_F(TerminationSignals, EndTheProgramWhileAnAlertsLoopRuns) {
    EXPECT_EXIT(
        {
            handleTerminationSignals([] { std::fputs("shut down\n", stderr); });
            // The alert's nested loop, in which the signal arrives.
            QEventLoop alertLoop;
            QTimer::singleShot(0, [] { ::raise(SIGTERM); });
            alertLoop.exec();
            std::fputs("the alert's loop ended and the flow went on\n", stderr);
            blockTheMainThread();
        },
        testing::KilledBySignal(SIGTERM), "shut down\n$");
}

TEST_F(TerminationSignals, EndTheProgramWhenTheLoopIsBlocked) {
    EXPECT_EXIT(
        {
            handleTerminationSignals([] { std::fputs("shut down\n", stderr); },
                                     std::chrono::seconds(1));
            ::raise(SIGHUP);
            blockTheMainThread();
        },
        testing::KilledBySignal(SIGHUP), "");
}

TEST_F(TerminationSignals, ASecondSignalEndsTheProgramAtOnce) {
    EXPECT_EXIT(
        {
            handleTerminationSignals([] { std::fputs("shut down\n", stderr); },
                                     std::chrono::seconds(600));
            ::raise(SIGTERM);
            ::raise(SIGINT);
            blockTheMainThread();
        },
        testing::KilledBySignal(SIGINT), "");
}

}  // namespace
}  // namespace frontend
