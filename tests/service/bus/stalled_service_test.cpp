// A service that stops answering (stopped, or stuck) costs its clients a
// bounded wait: norvik-raid ends UNKNOWN within its --timeout, a refresh's
// reads give up at its deadline, and the remote library tries again by itself
// once its cool-down has passed.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <future>
#include <string>
#include <vector>

#include "backends/backend_choice.h"
#include "cli/monitor.h"
#include "model/library_binding.h"
#include "model/model_clock.h"
#include "model/reading_deadline.h"
#include "platform/runloop/clock.h"
#include "platform/runloop/virtual_time_driver.h"
#include "service/remote_library.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"

namespace {

using namespace std::chrono_literals;

struct Check {
    std::vector<std::string> arguments;
    const char* saysOnStdout;
};

void PrintTo(const Check& check, std::ostream* out) {
    for (const auto& argument : check.arguments) {
        *out << argument << " ";
    }
}

class StoppedService : public testing::TestWithParam<Check> {
  protected:
    bustest::TestBus bus;
    bustest::TemporaryWorld world{bustest::defaultWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
};

// Reads everything the child writes to its standard output.
std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

TEST_P(StoppedService, EndsTheCheckUnknownWithinItsTimeout) {
    service.start();
    service.process().signal(SIGSTOP);

    std::vector<std::string> argv{NORVIK_RAID};
    argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    // The hardware mode, which reaches the library through the service.
    testsupport::ChildProcess check(argv, {"NORVIK_SIM_WORLD="}, fds[1]);
    ::close(fds[1]);
    // Unbounded, the client waited 35 s for each of two calls.
    const auto status = check.waitForExit(20s);
    const std::string out = drain(fds[0]);
    ::close(fds[0]);
    ASSERT_TRUE(status) << "still running";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 3) << "wait status " << *status;
    EXPECT_NE(out.find(GetParam().saysOnStdout), std::string::npos) << out;
    service.process().signal(SIGCONT);
}

INSTANTIATE_TEST_SUITE_P(
    Checks,
    StoppedService,
    testing::Values(Check{{"status", "--timeout", "1"}, "the service is not answering"},
                    Check{{"status", "--nagios", "--timeout", "1"},
                          "NORVIK RAID UNKNOWN - the service is not answering"},
                    Check{{"status", "--json", "--timeout", "1"},
                          "\"problem\": \"the service is not answering\""},
                    Check{{"monitor", "--once", "--timeout", "1"}, ""}));

class StuckService : public testing::Test {
  protected:
    StuckService() {
        service.start();
        service.process().signal(SIGSTOP);
    }
    ~StuckService() override { service.process().signal(SIGCONT); }

    platform::ManualClock clock;
    ScopedModelClock modelClock{clock};
    bustest::TestBus bus;
    bustest::TemporaryWorld world{bustest::defaultWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
};

TEST_F(StuckService, AReadGivesUpAtTheRefreshsDeadlineAndLaterOnesDoNotAsk) {
    service::RemoteLibrary remote({.callTimeout = 60s});
    ScopedReadingDeadline deadline(300ms);
    // Unclipped, the call would wait a minute.
    auto first = std::async(std::launch::async, [&] {
        try {
            remote.MV_Adapter_GetCount();
            return std::string("answered");
        } catch (const service::RemoteLibraryError& e) {
            return std::string(e.what());
        }
    });
    ASSERT_EQ(first.wait_for(20s), std::future_status::ready);
    EXPECT_NE(first.get().find(service::kNotAnswering), std::string::npos);

    // Past the deadline even a rescan, which the cool-down lets through, is not sent.
    clock.advance(300ms);
    try {
        remote.MV_API_RescanAdapter();
        ADD_FAILURE() << "answered";
    } catch (const service::RemoteLibraryError& e) {
        EXPECT_EQ(e.name(), "") << "it reached the bus";
    }
}

TEST_F(StuckService, TheClientTriesAgainAfterTheCoolDownAndRecoversWithoutARescan) {
    const service::RemoteLibraryOptions options{.callTimeout = 200ms, .coolDown = 10s};
    service::RemoteLibrary remote(options);
    EXPECT_THROW(remote.MV_Adapter_GetCount(), service::RemoteLibraryError);
    EXPECT_TRUE(remote.failingFast());
    EXPECT_FALSE(remote.answering());

    // Still stuck: the one call let through after the cool-down starts another.
    clock.advance(options.coolDown);
    EXPECT_FALSE(remote.failingFast());
    EXPECT_THROW(remote.MV_Adapter_GetCount(), service::RemoteLibraryError);
    EXPECT_TRUE(remote.failingFast());

    service.process().signal(SIGCONT);
    clock.advance(options.coolDown - 1ms);
    EXPECT_THROW(remote.MV_Adapter_GetCount(), service::RemoteLibraryError) << "cooling down";
    clock.advance(1ms);
    EXPECT_EQ(remote.MV_Adapter_GetCount(), 1);
    EXPECT_TRUE(remote.answering());
    EXPECT_EQ(remote.MV_Adapter_GetCount(), 1);
}

// The monitor's reading that a stopped service leaves unanswered past its
// timeout is the service unavailable, not the enclosure removed; once the
// service answers again, the next reading is healthy.
TEST(MonitorOverAStoppedService, AReadingPastItsTimeoutIsTheServiceUnavailableNotARemoval) {
    platform::ManualClock clock;
    ScopedModelClock modelClock{clock};
    bustest::TestBus bus;
    bustest::TemporaryWorld world{bustest::defaultWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    service.start();
    backends::Backends chosen;
    chosen.library = std::make_shared<service::RemoteLibrary>();
    ScopedControllerLibrary bound(chosen.library);
    platform::VirtualTimeDriver driver;
    auto monitor = cli::Monitor::create(driver.runLoop(), 60s);
    monitor->setReadingTimeout(300ms);
    monitor->setLibraryProblem([&] { return backends::libraryProblemNow(chosen); });
    std::vector<std::string> events;
    monitor->onEvent([&](const cli::Event& e) {
        events.push_back(std::string(cli::eventName(e.kind)) + " " + e.subject + " | " + e.detail);
    });
    ASSERT_EQ(monitor->readNow(), Health::Ok);

    service.process().signal(SIGSTOP);
    EXPECT_EQ(monitor->readNow(), Health::Unknown);
    const std::string unavailable =
        "service-unavailable controller-library | " + backends::serviceNotAnswering();
    EXPECT_THAT(events, testing::ElementsAre(unavailable));
    ASSERT_TRUE(monitor->lastReading());
    EXPECT_EQ(monitor->lastReading()->controllers.size(), 1u) << "the enclosure is kept";

    service.process().signal(SIGCONT);
    EXPECT_EQ(monitor->readNow(), Health::Ok);
    EXPECT_THAT(events, testing::ElementsAre(unavailable, "volume-healthy Norvik Duo | "));
}

}  // namespace
