#include "backends/backend_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "backends/library_paths.h"
#include "model/library_binding.h"
#include "platform/runloop/clock.h"

namespace {

class EnvironmentVariable {
  public:
    EnvironmentVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvironmentVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(BackendChoice, TheSimulatorIsChosenByFlagOrByItsWorldVariable) {
    {
        EnvironmentVariable unset("NORVIK_SIM_WORLD", nullptr);
        EXPECT_FALSE(backends::BackendRequest::fromEnvironment(false).simulator);
        EXPECT_TRUE(backends::BackendRequest::fromEnvironment(true).simulator);
    }
    {
        EnvironmentVariable empty("NORVIK_SIM_WORLD", "");
        EXPECT_FALSE(backends::BackendRequest::fromEnvironment(false).simulator);
    }
    EnvironmentVariable set("NORVIK_SIM_WORLD", "/tmp/somewhere/world.json");
    EXPECT_TRUE(backends::BackendRequest::fromEnvironment(false).simulator);
}

TEST(BackendChoice, TheSimulatorFlagIsTakenOutOfTheArguments) {
    std::vector<std::string> args{"status", "--simulator", "--json", "--simulator"};
    EXPECT_TRUE(backends::takeSimulatorFlag(args));
    EXPECT_EQ(args, (std::vector<std::string>{"status", "--json"}));
    EXPECT_FALSE(backends::takeSimulatorFlag(args));
}

TEST(BackendChoice, TheLibrariesLiveBesideEachOtherBelowTheExecutable) {
    const auto vendor = backends::vendorLibraryPath();
    EXPECT_EQ(vendor.filename(), "libmv_api.so");
    EXPECT_EQ(vendor.parent_path().filename(), "norvik-raid-utility");
    EXPECT_EQ(backends::simulatorLibraryPath(),
              vendor.parent_path() / "simulator" / "libmv_api.so");
}

TEST(BackendChoice, HardwareWithoutTheVendorLibrarySaysWhereItBelongs) {
    if (std::filesystem::exists(backends::vendorLibraryPath())) {
        GTEST_SKIP() << "a vendor library is installed at " << backends::vendorLibraryPath();
    }
    ScopedControllerLibrary restore{nullptr};
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    platform::devices::DeviceTree tree;
    const auto chosen = backends::chooseBackends({.simulator = false}, loop, tree);
    EXPECT_EQ(chosen.kind, backends::BackendKind::Hardware);
    EXPECT_NE(chosen.libraryProblem.find(backends::vendorLibraryPath().string()), std::string::npos)
        << chosen.libraryProblem;
    EXPECT_NE(chosen.libraryProblem.find("belongs at"), std::string::npos);
    // The bound library fails every call instead of crashing.
    EXPECT_EQ(boundControllerLibrary(), chosen.library);
    EXPECT_THROW(controllerLibrary().MV_Adapter_GetCount(), std::exception);
    // The machine's devices are followed all the same.
    ASSERT_NE(chosen.devices, nullptr);
    EXPECT_TRUE(loop.containsSource(chosen.devices.get()));
    loop.removeSource(chosen.devices);
}

TEST(BackendChoice, TheSimulatorLoadsItsOwnLibraryAndFollowsItsWorld) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("backends-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    EnvironmentVariable world("NORVIK_SIM_WORLD", (dir / "world.json").c_str());
    ScopedControllerLibrary restore{nullptr};
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    platform::devices::DeviceTree tree;
    const auto chosen =
        backends::chooseBackends(backends::BackendRequest::fromEnvironment(false), loop, tree);
    EXPECT_EQ(chosen.kind, backends::BackendKind::Simulator);
    EXPECT_EQ(chosen.libraryProblem, "");
    ASSERT_NE(chosen.devices, nullptr);
    // The default world: one enclosure, so the feed has put its controller in the tree.
    EXPECT_FALSE(tree.nodes().empty());
    controllerLibrary().MV_API_Initialize();
    EXPECT_EQ(controllerLibrary().MV_Adapter_GetCount(), 1);
    loop.removeSource(chosen.devices);
    std::filesystem::remove_all(dir);
}

}  // namespace

TEST(BackendChoice, HardwareUsesTheServiceWheneverItIsThereAndTheLibraryInProcessOnlyForRoot) {
    using backends::HardwareLibrary;
    EXPECT_EQ(backends::hardwareLibraryFor(true, false), HardwareLibrary::Service);
    EXPECT_EQ(backends::hardwareLibraryFor(true, true), HardwareLibrary::Service);
    EXPECT_EQ(backends::hardwareLibraryFor(false, true), HardwareLibrary::InProcess);
    EXPECT_EQ(backends::hardwareLibraryFor(false, false), HardwareLibrary::Unreachable);
}
