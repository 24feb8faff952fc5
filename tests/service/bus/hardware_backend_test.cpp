// The hardware mode reaches the vendor's library through norvik-raidd when
// the service is on the system bus, whoever runs the program.
#include <gtest/gtest.h>

#include "backends/backend_choice.h"
#include "model/library_binding.h"
#include "model/library_failure.h"
#include "platform/devices/device_tree.h"
#include "platform/runloop/clock.h"
#include "platform/runloop/run_loop.h"
#include "service/remote_library.h"
#include "tests/service/bus_test_environment.h"

namespace {

TEST(HardwareBackend, UsesTheServiceWhenItIsOnTheSystemBus) {
    bustest::TestBus bus;
    bustest::ServiceProcess service{bus, NORVIK_MISBEHAVING_LIBRARY};
    service.start();
    ScopedControllerLibrary restore{nullptr};
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    platform::devices::DeviceTree tree;

    const auto chosen = backends::chooseBackends({.simulator = false}, loop, tree);

    EXPECT_EQ(chosen.kind, backends::BackendKind::Hardware);
    EXPECT_NE(std::dynamic_pointer_cast<service::RemoteLibrary>(chosen.library), nullptr);
    EXPECT_EQ(chosen.libraryProblem, "");
    EXPECT_EQ(controllerLibrary().MV_Adapter_GetCount(), 1);
}

}  // namespace

namespace {

struct LibraryFile {
    const char* name;
    std::string path;
    LibraryFailure::Kind failure;
};

void PrintTo(const LibraryFile& file, std::ostream* out) {
    *out << file.name;
}

class ServiceLibraryProblem : public testing::TestWithParam<LibraryFile> {};

TEST_P(ServiceLibraryProblem, ReachesTheClientsBackends) {
    bustest::TestBus bus;
    bustest::ServiceProcess service{bus, GetParam().path};
    service.start();
    service::RemoteLibrary remote;
    const LibraryFailure failure = remote.libraryProblem();
    EXPECT_EQ(failure.kind, GetParam().failure);

    ScopedControllerLibrary restore{nullptr};
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    platform::devices::DeviceTree tree;
    const auto chosen = backends::chooseBackends({.simulator = false}, loop, tree);
    if (GetParam().failure == LibraryFailure::Kind::None) {
        EXPECT_EQ(chosen.libraryProblem, "");
    } else {
        EXPECT_EQ(failure.path, GetParam().path);
        EXPECT_NE(chosen.libraryProblem.find(GetParam().path), std::string::npos)
            << chosen.libraryProblem;
    }
    EXPECT_EQ(backends::libraryProblemNow(chosen), chosen.libraryProblem);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries,
    ServiceLibraryProblem,
    testing::Values(
        LibraryFile{"Missing", "/nonexistent/libmv_api.so", LibraryFailure::Kind::Missing},
        LibraryFile{"NotALibrary", NORVIK_TEST_BUS_CONFIG, LibraryFailure::Kind::CannotLoad},
        LibraryFile{"LackingFunctions", NORVIK_PARTIAL_LIBRARY, LibraryFailure::Kind::Lacks},
        LibraryFile{"Loadable", NORVIK_MISBEHAVING_LIBRARY, LibraryFailure::Kind::None}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
