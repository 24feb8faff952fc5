#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/controls/alert.h"
#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

TEST(DeviceList, TwoControllersGiveTwoIdenticalEntriesAndTheFirstIsCurrent) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1, "First");
    h.enclosureWithVolume(MV_LD_MODE_RAID0, "Second");
    h.launchAndSettle();

    const auto& controllers = h.delegate->devices().controllers();
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0]->cid(), 0);
    EXPECT_EQ(controllers[1]->cid(), 1);
    const auto& menu = h.ui.devicePicker->menu();
    EXPECT_EQ(menu->title(), "Devices");
    ASSERT_EQ(menu->numberOfItems(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& item = menu->items()[i];
        EXPECT_EQ(item->title(), "Norvik Duo Thunderbolt");
        EXPECT_EQ(item->representedObject(), controllers[i]);
        EXPECT_EQ(item->action().name(), "changeDevice:");
        EXPECT_EQ(item->target().lock().get(), &h.delegate->devices());
        EXPECT_EQ(item->keyEquivalent(), "");
        EXPECT_TRUE(item->isEnabled());
    }
    EXPECT_EQ(h.ui.devicePicker->indexOfSelectedItem(), 0);
    EXPECT_EQ(h.delegate->devices().fController(), controllers[0]);
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("First"));

    // Picking the second entry makes its controller current ...
    EXPECT_TRUE(h.ui.devicePicker->userSelectItemAtIndex(1));
    EXPECT_EQ(h.delegate->devices().fController(), controllers[1]);
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Second"));

    // ... until the next rescan, which returns to the first, with new objects.
    std::weak_ptr<MarvellController> old = controllers[0];
    h.delegate->refresh().queueRescanEvent();
    h.advance(1);
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(h.ui.devicePicker->indexOfSelectedItem(), 0);
    EXPECT_EQ(h.delegate->devices().fController(), h.delegate->devices().controllers()[0]);
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("First"));
}

TEST(DeviceList, NoControllerGivesThePlaceholder) {
    AppHarness h;
    h.launchAndSettle();
    const auto& menu = h.ui.devicePicker->menu();
    ASSERT_EQ(menu->numberOfItems(), 1u);
    EXPECT_EQ(menu->items()[0]->title(), "NO_DEVICES_FOUND");
    EXPECT_EQ(menu->items()[0]->representedObject(), nullptr);
    EXPECT_EQ(menu->items()[0]->action().name(), "changeDevice:");
    EXPECT_EQ(h.delegate->devices().fController(), nullptr);
    EXPECT_EQ(h.ui.picker->numberOfItems(), 0u);
    EXPECT_FALSE(h.ui.picker->isEnabled());
    EXPECT_FALSE(h.ui.configButton->isEnabled());
    EXPECT_EQ(h.icon(), "icon_healthcheck_wrong");

    // Choosing the placeholder keeps all of that.
    EXPECT_TRUE(h.ui.devicePicker->userSelectItemAtIndex(0));
    EXPECT_FALSE(h.ui.picker->isEnabled());
    EXPECT_EQ(h.delegate->devices().fController(), nullptr);
}

TEST(DeviceList, ARescanClosesTheSheetWithoutConfiguring) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.launchAndSettle();
    h.ui.configButton->performClick();
    ASSERT_TRUE(h.sheetOpen());
    h.ui.raidPicker->userSelectCellAtIndex(0);

    h.delegate->refresh().queueRescanEvent();
    h.advance(1);

    EXPECT_FALSE(h.sheetOpen());
    EXPECT_FALSE(h.ui.theSheet->isVisible());
    EXPECT_TRUE(h.alerts->shown().empty());
    EXPECT_EQ(h.library->count("MV_LD_Create") + h.library->count("MV_LD_Delete"), 0);
}

TEST(DeviceList, ARescanEndsAModalSession) {
    AppHarness h;
    h.launchAndSettle();
    platform::ModalResponse response = 0;
    h.alerts->answerWith([&](const platform::Alert&) {
        h.delegate->scanForControllers();
        return platform::kAlertSecondButtonReturn;
    });
    response = platform::Alert::create()->runModal();
    EXPECT_EQ(response, platform::kModalResponseAbort);
    EXPECT_EQ(h.alerts->abortCount(), 1u);
}

}  // namespace
