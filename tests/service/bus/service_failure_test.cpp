// A library that hangs, crashes or ends the process inside an operation takes
// only the service with it: the service ends (by its watchdog when the call
// hangs), the client fails at once instead of waiting again, and works again
// once a rescan is answered by the service's next start.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>

#include "model/model_clock.h"
#include "platform/runloop/clock.h"
#include "service/call_watchdog.h"
#include "service/remote_library.h"
#include "tests/service/bus_test_environment.h"

namespace {

using namespace std::chrono_literals;

struct Misbehaviour {
    const char* name;
    // How the service's process must have ended.
    bool (*ended)(int status);
};

void PrintTo(const Misbehaviour& misbehaviour, std::ostream* out) {
    *out << misbehaviour.name;
}

bool endedByWatchdog(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == service::kExitCallHung;
}
bool crashed(int status) {
    // A fatal signal, or the sanitizers' report of one.
    return WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0);
}
bool exitedAsTheLibraryAsked(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 3;
}

class MisbehavingLibrary : public testing::TestWithParam<Misbehaviour> {
  protected:
    platform::ManualClock clock;
    ScopedModelClock modelClock{clock};
    bustest::TestBus bus;
    bustest::ServiceProcess service{bus,
                                    NORVIK_MISBEHAVING_LIBRARY,
                                    {std::string("NORVIK_TEST_MISBEHAVIOUR=") + GetParam().name},
                                    500ms};
};

TEST_P(MisbehavingLibrary, EndsTheServiceAndTheClientFailsFastUntilARescanIsAnswered) {
    service.start();
    service::RemoteLibrary remote;
    ASSERT_EQ(remote.MV_Adapter_GetCount(), 1);
    Adapter_Info info{};
    MV_U8 count = 0;
    EXPECT_THROW(remote.MV_Adapter_GetInfo(0, &count, &info), service::RemoteLibraryError);

    const auto status = service.process().waitForExit();
    ASSERT_TRUE(status) << "the service is still running";
    EXPECT_TRUE(GetParam().ended(*status)) << "wait status " << *status;
    EXPECT_TRUE(remote.failingFast());

    // Back, well-behaved: the client still fails at once (the call would now
    // be answered, so it cannot have reached the bus) until a rescan.
    service.restart({});
    EXPECT_THROW(remote.MV_Adapter_GetCount(), service::RemoteLibraryError);
    EXPECT_EQ(remote.MV_API_RescanAdapter(), 0);
    EXPECT_FALSE(remote.failingFast());
    EXPECT_EQ(remote.MV_Adapter_GetCount(), 1);
    EXPECT_EQ(remote.MV_Adapter_GetInfo(0, &count, &info), 0);
    EXPECT_EQ(info.DevID, 0x9230);
}

INSTANTIATE_TEST_SUITE_P(Libraries,
                         MisbehavingLibrary,
                         testing::Values(Misbehaviour{"hang", endedByWatchdog},
                                         Misbehaviour{"block-alarm", endedByWatchdog},
                                         Misbehaviour{"cancel-alarm", endedByWatchdog},
                                         Misbehaviour{"ignore-alarm", endedByWatchdog},
                                         Misbehaviour{"crash", crashed},
                                         Misbehaviour{"exit", exitedAsTheLibraryAsked}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(ClientTimeout, FailsLaterCallsAtOnceWhileTheServiceIsStuck) {
    platform::ManualClock clock;
    ScopedModelClock modelClock{clock};
    bustest::TestBus bus;
    bustest::ServiceProcess service{
        bus, NORVIK_MISBEHAVING_LIBRARY, {"NORVIK_TEST_MISBEHAVIOUR=hang"}, 1000ms};
    service.start();
    service::RemoteLibrary remote({.callTimeout = 200ms, .changeTimeout = 200ms});
    Adapter_Info info{};
    MV_U8 count = 0;
    EXPECT_THROW(remote.MV_Adapter_GetInfo(0, &count, &info), service::RemoteLibraryError);
    EXPECT_TRUE(remote.failingFast());
    EXPECT_TRUE(service.process().running()) << "the client gave up before the watchdog";
    EXPECT_THROW(remote.MV_Adapter_GetCount(), service::RemoteLibraryError);
    EXPECT_THROW(remote.MV_LD_Delete(0, 1, 0), service::RemoteLibraryError);

    // The watchdog ends the stuck service on its own.
    const auto status = service.process().waitForExit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(endedByWatchdog(*status));
}

TEST(ServiceGone, EveryCallFailsWithAnErrorInsteadOfWaiting) {
    bustest::TestBus bus;
    service::RemoteLibrary remote;
    try {
        remote.MV_Adapter_GetCount();
        ADD_FAILURE() << "answered without a service";
    } catch (const service::RemoteLibraryError& e) {
        EXPECT_EQ(e.name(), SD_BUS_ERROR_SERVICE_UNKNOWN);
    }
    EXPECT_FALSE(remote.failingFast());
    EXPECT_FALSE(service::controllerServiceAvailable());
    bustest::ServiceProcess service{bus, NORVIK_MISBEHAVING_LIBRARY};
    service.start();
    EXPECT_TRUE(service::controllerServiceAvailable());
    EXPECT_EQ(remote.MV_Adapter_GetCount(), 1);
}

TEST(NoBus, TheServiceIsNotAvailableAndCallsFail) {
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/norvik-test-bus", 1);
    EXPECT_FALSE(service::controllerServiceAvailable());
    service::RemoteLibrary remote;
    EXPECT_THROW(remote.MV_API_RescanAdapter(), service::RemoteLibraryError);
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

TEST(ServiceStop, ATermSignalFinalizesAndEndsTheServiceCleanly) {
    bustest::TestBus bus;
    const auto mark =
        std::filesystem::temp_directory_path() / ("norvik-finalized-" + std::to_string(::getpid()));
    bustest::ServiceProcess service{
        bus, NORVIK_MISBEHAVING_LIBRARY, {"NORVIK_TEST_FINALIZE_MARK=" + mark.string()}};
    service.start();
    EXPECT_FALSE(std::filesystem::exists(mark));
    service.process().signal(SIGTERM);
    const auto status = service.process().waitForExit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
    EXPECT_TRUE(bus.waitForName(service::kBusName, false));
    EXPECT_TRUE(std::filesystem::remove(mark)) << "the library was not finalized";
}

}  // namespace
