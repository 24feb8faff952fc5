// The whole application, headless, on a machine that udev describes (a
// umockdev testbed): the enclosure is plugged in and out the way the kernel
// announces it, and the window follows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <sstream>

#include "platform/devices/udev_device_source.h"
#include "tests/support/app_harness.h"
#include "tests/support/machine_recordings.h"
#include "tests/support/umockdev_testbed.h"

namespace {

using ::testing::ElementsAre;

class UdevHotPlugTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(UmockdevTestbed::preloaded()) << "run with LD_PRELOAD=libumockdev-preload.so.0";
        testbed.add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("1"));
    }

    void startSource() {
        std::ostringstream problems;
        source = platform::devices::UdevDeviceSource::create(h.tree, problems);
        ASSERT_NE(source, nullptr) << problems.str();
        h.driver.runLoop().addSource(source, platform::kCommonModes);
    }
    // What the front end's run-loop driver does when the monitor becomes readable.
    void deliverEvents() {
        pollfd watch{source->fd(), POLLIN, 0};
        if (::poll(&watch, 1, 0) == 1) {
            source->signal();
        }
        h.driver.runUntilIdle();
    }
    std::vector<std::string> devices() const { return h.titles(*h.ui.devicePicker); }

    UmockdevTestbed testbed;
    AppHarness h;
    std::shared_ptr<platform::devices::UdevDeviceSource> source;
};

TEST_F(UdevHotPlugTest, PluggingInFillsTheDeviceListAfterTheRescanDelayAndUnpluggingEmptiesIt) {
    startSource();
    h.launchAndSettle();
    EXPECT_THAT(devices(), ElementsAre("NO_DEVICES_FOUND"));

    h.enclosureWithVolume(1);  // what the controller library reports once it is there
    testbed.add(recordings::enclosurePci());
    deliverEvents();
    h.advance(0.9);
    EXPECT_THAT(devices(), ElementsAre("NO_DEVICES_FOUND"));
    h.advance(0.2);
    EXPECT_THAT(devices(), ElementsAre("Norvik Duo Thunderbolt"));
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Duo"));

    h.library->adapters.clear();
    testbed.unplug(recordings::kEnclosureBridges);
    deliverEvents();
    h.advance(1.1);
    EXPECT_THAT(devices(), ElementsAre("NO_DEVICES_FOUND"));
}

TEST_F(UdevHotPlugTest, AnEnclosurePresentAtStartIsShownByTheFirstRescan) {
    testbed.add(recordings::enclosurePci());
    h.enclosureWithVolume(1);
    startSource();
    h.launchAndSettle();
    EXPECT_THAT(devices(), ElementsAre("Norvik Duo Thunderbolt"));
}

TEST_F(UdevHotPlugTest, ForeignDisksPluggedInAskForNothing) {
    startSource();
    h.launchAndSettle();
    h.advance(5);  // the start-up work is done
    ASSERT_FALSE(h.updatePending());

    testbed.add(recordings::foreignDisks());
    deliverEvents();
    EXPECT_FALSE(h.updatePending());
    EXPECT_THAT(devices(), ElementsAre("NO_DEVICES_FOUND"));
}

}  // namespace
