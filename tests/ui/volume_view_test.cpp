#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

struct ViewRow {
    const char* situation;
    std::function<void(AppHarness&)> world;
    std::vector<std::string> picker;
    bool pickerEnabled;
    bool configEnabled;
    std::string type;
    std::string capacity;
    std::string status;
    bool extrasHidden;
    std::string rebuildTitle;  // checked when the extras are shown
    bool rebuildEnabled;
    std::string members;
};

void PrintTo(const ViewRow& row, std::ostream* os) {
    *os << row.situation;
}

class VolumeView : public testing::TestWithParam<ViewRow> {};

TEST_P(VolumeView, ShowsTheFirstEntry) {
    const ViewRow& row = GetParam();
    AppHarness h;
    row.world(h);
    h.launchAndSettle();

    EXPECT_EQ(h.titles(*h.ui.picker), row.picker);
    EXPECT_EQ(h.ui.picker->isEnabled(), row.pickerEnabled);
    EXPECT_EQ(h.ui.configButton->isEnabled(), row.configEnabled);
    EXPECT_EQ(h.ui.type->stringValue(), row.type);
    EXPECT_EQ(h.ui.capacity->stringValue(), row.capacity);
    EXPECT_EQ(h.ui.status->stringValue(), row.status);
    EXPECT_EQ(h.ui.rebuildButton->isHidden(), row.extrasHidden);
    EXPECT_EQ(h.ui.disksLabel->isHidden(), row.extrasHidden);
    EXPECT_EQ(h.ui.disks->isHidden(), row.extrasHidden);
    if (!row.extrasHidden) {
        EXPECT_EQ(h.ui.rebuildButton->title(), row.rebuildTitle);
        EXPECT_EQ(h.ui.rebuildButton->isEnabled(), row.rebuildEnabled);
        EXPECT_EQ(h.ui.disks->stringValue(), row.members);
    }
}

void twoFreeDisks(AppHarness& h) {
    h.enclosureWithVolume(-1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    VolumeView,
    testing::Values(
        ViewRow{"no controller",
                [](AppHarness&) {},
                {},
                false,
                false,
                "",
                "",
                "",
                true,
                "",
                false,
                ""},
        ViewRow{"controller without disks",
                [](AppHarness& h) { h.library->addAdapter(); },
                {},
                true,
                false,
                "",
                "",
                "",
                true,
                "",
                false,
                ""},
        ViewRow{"disks all assigned, no set listed",
                [](AppHarness& h) {
                    auto& a = h.library->addAdapter();
                    AppFakeLibrary::addDisk(a, 1);
                    a.disks[0].statusOverride = MV_HD_STATUS_ASSIGNED;
                },
                {},
                true,
                true,
                "",
                "",
                "",
                true,
                "",
                false,
                ""},
        ViewRow{"mirror, functional",
                [](AppHarness& h) { h.enclosureWithVolume(MV_LD_MODE_RAID1); },
                {"Duo"},
                true,
                true,
                "LD_MODE_RAID1",
                "2 TB",
                "LD_STATUS_FUNCTIONAL",
                false,
                "REBUILD",
                false,
                "0, 1"},
        ViewRow{"mirror, degraded",
                [](AppHarness& h) {
                    h.enclosureWithVolume(MV_LD_MODE_RAID1).volumes[0].status =
                        MV_LD_STATUS_DEGRADE;
                },
                {"Duo"},
                true,
                true,
                "LD_MODE_RAID1",
                "2 TB",
                "LD_STATUS_DEGRADE",
                false,
                "REBUILD",
                true,
                "0, 1"},
        ViewRow{"mirror, rebuilding at 37%",
                [](AppHarness& h) {
                    auto& v = h.enclosureWithVolume(MV_LD_MODE_RAID1).volumes[0];
                    v.status = MV_LD_STATUS_DEGRADE;
                    v.rebuilding = true;
                    v.progress = 37;
                },
                {"Duo"},
                true,
                true,
                "LD_MODE_RAID1",
                "2 TB",
                "LD_STATUS_REBUILDING (37%)",
                false,
                "CANCEL",
                true,
                "0, 1"},
        ViewRow{"stripe, offline",
                [](AppHarness& h) {
                    h.enclosureWithVolume(MV_LD_MODE_RAID0).volumes[0].status =
                        MV_LD_STATUS_OFFLINE;
                },
                {"Duo"},
                true,
                true,
                "LD_MODE_RAID0",
                "2 TB",
                "LD_STATUS_OFFLINE",
                false,
                "REBUILD",
                false,
                "0, 1"},
        ViewRow{"status query fails",
                [](AppHarness& h) {
                    h.enclosureWithVolume(MV_LD_MODE_RAID1);
                    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
                        return op == "MV_LD_GetStatus" ? std::optional<MV_U8>(1) : std::nullopt;
                    };
                },
                {"Duo"},
                true,
                true,
                "LD_MODE_RAID1",
                "2 TB",
                "LD_STATUS_UNKNOWN 255",
                false,
                "REBUILD",
                false,
                "0, 1"},
        ViewRow{"unknown mode, members unknown to the controller",
                [](AppHarness& h) {
                    auto& a = h.library->addAdapter();
                    AppFakeLibrary::addDisk(a, 1);
                    AppFakeLibrary::addVolume(a, 4, 2, {9, 8}, "Odd");
                },
                {"Odd", "DISK_1"},
                true,
                true,
                "LD_MODE_UNKNOWN 2",
                "2 TB",
                "LD_STATUS_FUNCTIONAL",
                false,
                "REBUILD",
                false,
                ""},
        ViewRow{"two free disks",
                twoFreeDisks,
                {"DISK_1", "DISK_2"},
                true,
                true,
                "INDIVIDUAL_DISK",
                "2 TB",
                "HD_STATUS_FREE",
                true,
                "",
                false,
                ""},
        ViewRow{"disk status unreadable reads as offline",
                [](AppHarness& h) {
                    twoFreeDisks(h);
                    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
                        return op == "MV_PD_GetHDRaidStatus" ? std::optional<MV_U8>(3)
                                                             : std::nullopt;
                    };
                },
                {"DISK_1", "DISK_2"},
                true,
                true,
                "INDIVIDUAL_DISK",
                "2 TB",
                "HD_STATUS_OFFLINE",
                true,
                "",
                false,
                ""},
        ViewRow{"sets first, then unassigned disks only",
                [](AppHarness& h) {
                    auto& a = h.library->addAdapter();
                    for (MV_U16 id = 1; id <= 4; ++id) {
                        AppFakeLibrary::addDisk(a, id);
                    }
                    AppFakeLibrary::addVolume(a, 1, MV_LD_MODE_RAID0, {2}, "A");
                    AppFakeLibrary::addVolume(a, 2, MV_LD_MODE_RAID0, {4}, "B");
                    a.disks[2].statusOverride = MV_HD_STATUS_ASSIGNED | MV_HD_STATUS_SMARTCHECKING;
                },
                {"A", "B", "DISK_1", "DISK_3"},
                true,
                true,
                "LD_MODE_RAID0",
                "2 TB",
                "LD_STATUS_FUNCTIONAL",
                false,
                "REBUILD",
                false,
                "1"},
        // A name the window cannot show still gives a visible entry.
        ViewRow{"name not UTF-8",
                [](AppHarness& h) { h.enclosureWithVolume(MV_LD_MODE_RAID1, "Vol\xff\xfe"); },
                {"VOLUME_NAME_UNREADABLE 1"},
                true,
                true,
                "LD_MODE_RAID1",
                "2 TB",
                "LD_STATUS_FUNCTIONAL",
                false,
                "REBUILD",
                false,
                "0, 1"},
        ViewRow{"empty name",
                [](AppHarness& h) { h.enclosureWithVolume(MV_LD_MODE_RAID1, ""); },
                {"VOLUME_NAME_EMPTY 1"},
                true,
                true,
                "LD_MODE_RAID1",
                "2 TB",
                "LD_STATUS_FUNCTIONAL",
                false,
                "REBUILD",
                false,
                "0, 1"}),
    [](const testing::TestParamInfo<ViewRow>& info) { return "row" + std::to_string(info.index); });

TEST(VolumeViewEntries, CarryTheirObjectsActionAndTarget) {
    AppHarness h;
    auto& a = h.library->addAdapter();
    AppFakeLibrary::addDisk(a, 1);
    AppFakeLibrary::addDisk(a, 2);
    AppFakeLibrary::addVolume(a, 7, MV_LD_MODE_RAID0, {1}, "Solo");
    h.launchAndSettle();

    const auto& menu = h.ui.picker->menu();
    EXPECT_EQ(menu->title(), "Volumes");
    EXPECT_FALSE(menu->autoenablesItems());
    ASSERT_EQ(menu->numberOfItems(), 2u);
    const auto& controller = h.delegate->devices().fController();
    EXPECT_EQ(menu->items()[0]->representedObject(), controller->raidSets()[0]);
    EXPECT_EQ(menu->items()[1]->representedObject(), controller->disks()[1]);
    for (const auto& item : menu->items()) {
        EXPECT_EQ(item->action().name(), "changeVolume:");
        EXPECT_EQ(item->target().lock().get(), &h.delegate->volumes());
        EXPECT_EQ(item->keyEquivalent(), "");
    }
}

TEST(VolumeViewEntries, PickingAnEntryRefreshesTheTextsAndTheNextUpdateSelectsTheFirst) {
    AppHarness h;
    auto& a = h.library->addAdapter();
    AppFakeLibrary::addDisk(a, 1);
    AppFakeLibrary::addDisk(a, 2);
    AppFakeLibrary::addVolume(a, 1, MV_LD_MODE_RAID1, {1}, "Half").status = MV_LD_STATUS_DEGRADE;
    h.launchAndSettle();
    ASSERT_THAT(h.titles(*h.ui.picker), ElementsAre("Half", "DISK_2"));
    EXPECT_TRUE(h.ui.rebuildButton->isEnabled());

    // An individual disk leaves the button's title and state alone, only hidden.
    EXPECT_TRUE(h.ui.picker->userSelectItemAtIndex(1));
    EXPECT_EQ(h.ui.type->stringValue(), "INDIVIDUAL_DISK");
    EXPECT_TRUE(h.ui.rebuildButton->isHidden());
    EXPECT_TRUE(h.ui.rebuildButton->isEnabled());
    EXPECT_EQ(h.ui.disks->stringValue(), "0");

    // A disk event one second later returns to the first entry.
    h.delegate->refresh().queueUpdateEvent(1);
    h.advance(1);
    EXPECT_EQ(h.ui.picker->indexOfSelectedItem(), 0);
    EXPECT_EQ(h.ui.type->stringValue(), "LD_MODE_RAID1");
}

TEST(VolumeViewEntries, WithoutASelectedDeviceOnlyTheTextsAreRefreshed) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.launchAndSettle();
    ASSERT_EQ(h.icon(), "icon_healthcheck_ok");
    ASSERT_TRUE(h.delegate->refresh().timer()->isValid());
    const auto controller = h.delegate->devices().fController();

    h.ui.devicePicker->selectItemAtIndex(-1);
    h.library->volumes(0)->status = MV_LD_STATUS_OFFLINE;
    const int walks = h.library->count("MV_LD_GetInfo");
    h.delegate->updateDevice();

    EXPECT_EQ(h.library->count("MV_LD_GetInfo"), walks);
    EXPECT_EQ(h.delegate->devices().fController(), controller);
    EXPECT_EQ(h.icon(), "icon_healthcheck_ok");
    EXPECT_FALSE(h.delegate->refresh().timer()->isValid());
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_OFFLINE");
}

TEST(RebuildToolTip, TellsTheTimeLeftOnceTheRateIsSteadyAndLeavesTheStatusTextAsItIs) {
    AppHarness h;
    auto& volume = h.enclosureWithVolume(MV_LD_MODE_RAID1).volumes[0];
    volume.status = MV_LD_STATUS_DEGRADE;
    volume.rebuilding = true;
    volume.progress = 10;
    h.launchAndSettle();
    EXPECT_EQ(h.ui.status->toolTip(), "REBUILD_TIME_LEFT_UNKNOWN_TOOLTIP");

    // One percent per 10-second refresh: steady after three steps, 87 % left.
    for (int step = 1; step <= 3; ++step) {
        volume.progress = static_cast<MV_U16>(10 + step);
        h.advance(10);
    }
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_REBUILDING (13%)");
    EXPECT_EQ(h.ui.status->toolTip(), "REBUILD_TIME_LEFT_TOOLTIP 15 min");

    // Progress that stops moving leaves the time unknown again.
    h.advance(60);
    EXPECT_EQ(h.ui.status->toolTip(), "REBUILD_TIME_LEFT_UNKNOWN_TOOLTIP");

    volume.rebuilding = false;
    volume.status = MV_LD_STATUS_FUNCTIONAL;
    h.advance(10);
    EXPECT_EQ(h.ui.status->toolTip(), "");
}

// The window names each physical disk as its label does: model and serial.
TEST(DiskIdentity, ASetsMembersAndASelectedDiskShowTheirModelAndSerialNumber) {
    AppHarness h;
    auto& a = h.enclosureWithVolume(MV_LD_MODE_RAID1);
    a.disks[1].model = "OTHER SSD";
    a.disks[1].serial = "";  // a drive that reports none
    AppFakeLibrary::addDisk(a, 3);
    h.launchAndSettle();

    EXPECT_EQ(h.ui.disks->toolTip(),
              "MEMBER_DISK_IDENTITY 0|FAKE HDD 2TB|SN1\n"
              "MEMBER_DISK_IDENTITY 1|OTHER SSD|DISK_DETAIL_UNKNOWN");
    EXPECT_EQ(h.ui.type->toolTip(), "");

    ASSERT_TRUE(h.ui.picker->userSelectItemAtIndex(1));  // the free disk in slot 2
    EXPECT_EQ(h.ui.type->stringValue(), "INDIVIDUAL_DISK");
    EXPECT_EQ(h.ui.type->toolTip(), "DISK_IDENTITY FAKE HDD 2TB|SN3");

    ASSERT_TRUE(h.ui.picker->userSelectItemAtIndex(0));
    EXPECT_EQ(h.ui.type->toolTip(), "") << "a set's type names no single disk";
}

}  // namespace
