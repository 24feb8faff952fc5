#include <gtest/gtest.h>

#include "platform/controls/alert.h"
#include "tests/support/app_harness.h"

namespace {

class EnclosureDetection : public testing::Test {
  protected:
    int rescans() const { return h.library->count("MV_Adapter_GetCount"); }
    int updates() const { return h.library->count("MV_LD_GetInfo"); }

    AppHarness h;
};

TEST_F(EnclosureDetection, EnclosurePresentAtStartupGivesOneRescan) {
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.plugEnclosure(0);
    h.launch();
    EXPECT_TRUE(h.delegate->refresh().rescanPending());
    h.advance(1);
    EXPECT_EQ(rescans(), 1);
    h.advance(10);
    EXPECT_EQ(rescans(), 1);
}

TEST_F(EnclosureDetection, PluggedWhileRunningGivesOneRescanForSeveralServices) {
    h.launchAndSettle();
    EXPECT_EQ(rescans(), 1);
    EXPECT_EQ(h.titles(*h.ui.devicePicker), std::vector<std::string>{"NO_DEVICES_FOUND"});

    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.enclosureWithVolume(MV_LD_MODE_RAID0);
    h.plugEnclosure(0);
    h.plugEnclosure(1);
    h.advance(0.999);
    EXPECT_EQ(rescans(), 1);
    h.advance(0.001);
    EXPECT_EQ(rescans(), 2);
    EXPECT_EQ(h.titles(*h.ui.devicePicker),
              (std::vector<std::string>{"Norvik Duo Thunderbolt", "Norvik Duo Thunderbolt"}));
    h.advance(5);
    EXPECT_EQ(rescans(), 2);
}

TEST_F(EnclosureDetection, UnpluggedGivesOneRescanAndThePlaceholder) {
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.plugEnclosure(0);
    h.launchAndSettle();
    ASSERT_EQ(h.titles(*h.ui.devicePicker), std::vector<std::string>{"Norvik Duo Thunderbolt"});

    h.library->adapters.clear();
    h.unplugEnclosure(0);
    h.advance(1);
    EXPECT_EQ(rescans(), 2);
    EXPECT_EQ(h.titles(*h.ui.devicePicker), std::vector<std::string>{"NO_DEVICES_FOUND"});
    EXPECT_FALSE(h.ui.picker->isEnabled());
}

// The registry's notifications arrive in every mode: an enclosure plugged in
// while a modal alert is open asks for its rescan there and then, and the
// rescan runs as soon as the alert is gone (the delay already passed inside).
TEST_F(EnclosureDetection, PlugEventsArriveWhileAModalAlertIsOpen) {
    h.launchAndSettle();
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.alerts->answerWith([&](const platform::Alert&) {
        h.plugEnclosure(0);
        h.advance(3);
        EXPECT_EQ(rescans(), 1) << "a rescan never runs inside a modal alert";
        return platform::kAlertFirstButtonReturn;
    });
    platform::Alert::create()->runModal();
    h.driver.runUntilIdle();
    EXPECT_EQ(rescans(), 2);
    EXPECT_EQ(h.titles(*h.ui.devicePicker), std::vector<std::string>{"Norvik Duo Thunderbolt"});
}

TEST_F(EnclosureDetection, AControllerWithAnotherSubsystemIsNotTheEnclosure) {
    h.launchAndSettle();
    h.plugEnclosure(0, {0x31, 0x92, 0x00, 0x00});
    h.advance(5);
    EXPECT_EQ(rescans(), 1);
}

// Which disks request an update: those behind the enclosure's controller
// when they appear, and every whole disk when it goes.
TEST_F(EnclosureDetection, DiskEvents) {
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.plugEnclosure(0);
    h.plugEnclosure(1, {0x31, 0x92, 0x00, 0x00});  // vendor matches, subsystem does not
    h.launchAndSettle();
    int before = updates();

    h.tree.addDisk("disk4", AppHarness::busPath(0));
    h.advance(0.999);
    EXPECT_EQ(updates(), before);
    h.advance(0.001);
    EXPECT_EQ(updates(), before + 1) << "enclosure disk appeared";

    before = updates();
    h.addForeignDisk("disk5");
    h.tree.addDisk("disk6", AppHarness::busPath(1));
    h.tree.addDisk("disk7", "/no/such/path");
    h.tree.addDisk("disk4s1", AppHarness::busPath(0), /*whole=*/false);
    h.advance(5);
    EXPECT_EQ(updates(), before) << "foreign disks and partitions appeared";

    h.tree.removeDisk("disk5");
    h.advance(1);
    EXPECT_EQ(updates(), before + 1) << "a foreign whole disk vanished";
    h.tree.removeDisk("disk4");
    h.tree.removeDisk("disk6");
    h.advance(1);
    EXPECT_EQ(updates(), before + 2) << "two disks vanished at once";
    h.tree.removeDisk("disk4s1");
    h.advance(2);
    EXPECT_EQ(updates(), before + 2) << "a partition vanished";
    EXPECT_EQ(h.tree.liveHandleCount(), 2u) << "only the two iterators are held";
}

TEST_F(EnclosureDetection, EnclosureDisksPresentAtStartupRequestAnUpdate) {
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.plugEnclosure(0);
    h.tree.addDisk("disk4", AppHarness::busPath(0));
    h.launch();
    h.driver.runUntilIdle();
    EXPECT_TRUE(h.delegate->refresh().updatePending());
}

TEST_F(EnclosureDetection, DiskArrivalIsDeliveredInTheDefaultModeOnly) {
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.plugEnclosure(0);
    h.launchAndSettle();
    const int before = updates();
    {
        platform::RunLoop::ModeScope modal(h.driver.runLoop(), platform::Mode::ModalPanel);
        h.tree.addDisk("disk4", AppHarness::busPath(0));
        h.advance(2);
        EXPECT_EQ(updates(), before);
    }
    h.advance(1);
    EXPECT_EQ(updates(), before + 1);
}

TEST(IsEnclosureDisk, ComparesBothPropertiesByteForByte) {
    struct Case {
        const char* what;
        platform::devices::PropertyTable properties;
        bool expected;
    };
    const platform::devices::Bytes vendor = enclosure::kSubsystemVendorID;
    const platform::devices::Bytes subsystem = enclosure::kSubsystemID;
    const std::vector<Case> cases = {
        {"both equal", {{"subsystem-vendor-id", vendor}, {"subsystem-id", subsystem}}, true},
        {"other subsystem",
         {{"subsystem-vendor-id", vendor}, {"subsystem-id", {0x31, 0x92, 0, 0}}},
         false},
        {"other vendor",
         {{"subsystem-vendor-id", {0x4B, 0x1C, 0, 0}}, {"subsystem-id", subsystem}},
         false},
        {"longer data",
         {{"subsystem-vendor-id", vendor}, {"subsystem-id", {0x30, 0x92, 0, 0, 0}}},
         false},
        {"subsystem missing", {{"subsystem-vendor-id", vendor}}, false},
        {"vendor missing", {{"subsystem-id", subsystem}}, false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        platform::devices::DeviceTree tree;
        platform::devices::DeviceTree::Scope scope(tree);
        auto ctl =
            tree.addNode("pci1b4b,9230", "/c", platform::devices::kNoNode, cases[i].properties);
        auto port = tree.addNode("port", "/c/p", ctl);
        tree.addNode("bus", "/c/p/b", port);
        auto disk = std::make_shared<platform::devices::Disk>("disk2", "/c/p/b", true);
        EXPECT_EQ(isEnclosureDisk(disk), cases[i].expected) << cases[i].what;
        // The properties are read two levels up, not one.
        auto shallow = std::make_shared<platform::devices::Disk>("disk3", "/c/p", true);
        EXPECT_FALSE(isEnclosureDisk(shallow)) << cases[i].what;
        EXPECT_EQ(tree.liveHandleCount(), 0u) << cases[i].what;
    }
    EXPECT_FALSE(isEnclosureDisk(nullptr));
}

TEST(Registration, UnregisterReleasesEachHandleOnlyIfPresent) {
    AppHarness h;
    h.delegate->enclosure().unregisterForNotifications();  // nothing registered: nothing happens
    h.launch();
    EXPECT_EQ(h.tree.liveHandleCount(), 2u);
    h.delegate->enclosure().unregisterForNotifications();
    EXPECT_EQ(h.tree.liveHandleCount(), 0u);
    EXPECT_EQ(h.delegate->enclosure().notificationObject(), nullptr);

    // No more rescans for the enclosure once torn down.
    h.advance(1);
    const int rescans = h.library->count("MV_Adapter_GetCount");
    h.plugEnclosure(0);
    h.advance(5);
    EXPECT_EQ(h.library->count("MV_Adapter_GetCount"), rescans);
}

}  // namespace
