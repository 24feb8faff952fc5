// The hardware mode reaches the vendor's library through norvik-raidd when
// the service is on the system bus, whoever runs the program.
#include <gtest/gtest.h>

#include "backends/backend_choice.h"
#include "model/library_binding.h"
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
