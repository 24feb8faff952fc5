// The whole application, headless, with the controller library behind
// norvik-raidd: the configuration and rebuild flows go through the service
// and polkit, and a service that dies or hangs leaves the window showing "No
// devices found" until the service is back and the next rescan runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "service/remote_library.h"
#include "sim/feed/device_feed.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"
#include "tests/support/app_harness.h"

namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;

constexpr const char* kNoDevices = "NO_DEVICES_FOUND";  // the harness shows keys
constexpr const char* kDevice = "Norvik Duo Thunderbolt";

class WindowOverService : public testing::Test {
  protected:
    explicit WindowOverService(sim::World world = bustest::degradedWorld())
        : world_(world),
          store_(std::make_shared<sim::WorldStore>(world_.file())),
          feed_(sim::DeviceFeed::create(store_, h.tree)) {}

    void rescan() {
        h.delegate->refresh().queueRescanEvent();
        h.advance(1);
    }

    bustest::TestBus bus;
    bustest::PolkitMock polkit{bus};
    AppHarness h;
    bustest::TemporaryWorld world_;
    std::shared_ptr<sim::WorldStore> store_;
    std::shared_ptr<sim::DeviceFeed> feed_;
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world_.environment()}};
    std::shared_ptr<service::RemoteLibrary> remote = std::make_shared<service::RemoteLibrary>();
    ScopedControllerLibrary bound{remote};
};

TEST_F(WindowOverService, RebuildsAndReconfiguresThroughTheService) {
    polkit.allowConfiguring(true);
    service.start();
    h.launchAndSettle();
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre(kDevice));
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Norvik Duo", "DISK_2"));
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_DEGRADE");

    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    EXPECT_TRUE(h.ui.rebuildButton->performClick());
    h.driver.runUntilIdle();
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_REBUILDING (0%)");

    ASSERT_TRUE(h.ui.configButton->performClick());
    h.ui.raidPicker->userSelectCellAtIndex(0);
    h.ui.name->userReplaceCharacters({0, h.ui.name->length()}, "Scratch");
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertFirstButtonReturn);
    h.ui.configNowButton->performClick();
    EXPECT_EQ(h.alerts->shown().back().messageText, "SUCCESS_TITLE");
    h.driver.runUntilIdle();
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Scratch"));
    EXPECT_EQ(h.ui.type->stringValue(), "LD_MODE_RAID0");
}

TEST_F(WindowOverService, ARefusedConfigurationChangesNothing) {
    polkit.allowConfiguring(false);
    service.start();
    h.launchAndSettle();
    const auto before = *store_->read();

    ASSERT_TRUE(h.ui.configButton->performClick());
    h.ui.raidPicker->userSelectCellAtIndex(0);
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertFirstButtonReturn);
    h.ui.configNowButton->performClick();
    h.driver.runUntilIdle();

    EXPECT_NE(h.alerts->shown().back().messageText, "SUCCESS_TITLE");
    EXPECT_EQ(*store_->read(), before);
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Norvik Duo", "DISK_2"));
}

TEST_F(WindowOverService, ShowsNoDevicesWhileTheServiceIsGoneAndRecoversAtTheNextRescan) {
    service.start();
    h.launchAndSettle();
    ASSERT_THAT(h.titles(*h.ui.devicePicker), ElementsAre(kDevice));

    service.kill();
    rescan();
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre(kNoDevices));
    EXPECT_FALSE(h.ui.configButton->isEnabled());

    service.start();
    rescan();
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre(kDevice));
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Norvik Duo", "DISK_2"));
}

TEST_F(WindowOverService, AHungLibraryCostsOneWaitAndTheWindowRecoversOnceTheServiceIsBack) {
    bustest::ServiceProcess hanging{
        bus, NORVIK_MISBEHAVING_LIBRARY, {"NORVIK_TEST_MISBEHAVIOUR=hang"}, 500ms};
    hanging.start();
    h.launchAndSettle();
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre(kNoDevices));
    EXPECT_TRUE(remote->failingFast());
    ASSERT_TRUE(hanging.process().waitForExit());

    service.start();
    rescan();
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre(kDevice));
}

}  // namespace
