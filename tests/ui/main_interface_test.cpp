#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

// The front end binds widgets by these names; they must match the delegate's outlets.
TEST(MainInterface, ConnectsEveryOutletUnderItsName) {
    AppHarness h;
    std::vector<std::string> names;
    for (const auto& [name, control] : h.ui.outlets()) {
        names.push_back(name);
        EXPECT_NE(control, nullptr) << name;
    }
    EXPECT_THAT(names, ElementsAre("theSheet", "cancelButton", "configNowButton", "window",
                                   "devicePicker", "name", "raidPicker", "statusImage", "picker",
                                   "type", "capacity", "status", "disks", "disksLabel",
                                   "unmountButton", "rebuildButton", "configButton"));

    const AppDelegate& d = *h.delegate;
    EXPECT_EQ(d.theSheet(), h.ui.theSheet.get());
    EXPECT_EQ(d.cancelButton(), h.ui.cancelButton.get());
    EXPECT_EQ(d.configNowButton(), h.ui.configNowButton.get());
    EXPECT_EQ(d.window(), h.ui.window.get());
    EXPECT_EQ(d.devicePicker(), h.ui.devicePicker.get());
    EXPECT_EQ(d.name(), h.ui.name.get());
    EXPECT_EQ(d.raidPicker(), h.ui.raidPicker.get());
    EXPECT_EQ(d.statusImage(), h.ui.statusImage.get());
    EXPECT_EQ(d.picker(), h.ui.picker.get());
    EXPECT_EQ(d.type(), h.ui.type.get());
    EXPECT_EQ(d.capacity(), h.ui.capacity.get());
    EXPECT_EQ(d.status(), h.ui.status.get());
    EXPECT_EQ(d.disks(), h.ui.disks.get());
    EXPECT_EQ(d.disksLabel(), h.ui.disksLabel.get());
    EXPECT_EQ(d.unmountButton(), h.ui.unmountButton.get());
    EXPECT_EQ(d.rebuildButton(), h.ui.rebuildButton.get());
    EXPECT_EQ(d.configButton(), h.ui.configButton.get());
}

TEST(MainInterface, WiresTheActionsToTheDelegate) {
    AppHarness h;
    struct Wire {
        const char* control;
        std::string action;
        platform::WeakObjectPtr target;
    };
    const std::vector<Wire> wires = {
        {"devicePicker", h.ui.devicePicker->action().name(), h.ui.devicePicker->target()},
        {"picker", h.ui.picker->action().name(), h.ui.picker->target()},
        {"configButton", h.ui.configButton->action().name(), h.ui.configButton->target()},
        {"raidPicker", h.ui.raidPicker->action().name(), h.ui.raidPicker->target()},
        {"configNowButton", h.ui.configNowButton->action().name(), h.ui.configNowButton->target()},
        {"cancelButton", h.ui.cancelButton->action().name(), h.ui.cancelButton->target()},
        {"rebuildButton", h.ui.rebuildButton->action().name(), h.ui.rebuildButton->target()},
    };
    const std::vector<std::string> expected = {
        "changeDevice:", "changeVolume:", "configureDevice:", "configureMatrixAction:",
        "doConfigure:",  "doCancel:",     "doRebuild:"};
    for (std::size_t i = 0; i < wires.size(); ++i) {
        EXPECT_EQ(wires[i].action, expected[i]) << wires[i].control;
        EXPECT_EQ(wires[i].target.lock(), h.delegate) << wires[i].control;
    }
    EXPECT_FALSE(h.ui.unmountButton->action());
}

TEST(MainInterface, StartsWithTheThreeLayoutsAndNothingShown) {
    AppHarness h;
    std::vector<int> tags;
    for (const auto& cell : h.ui.raidPicker->cells()) {
        tags.push_back(cell->tag());
    }
    EXPECT_THAT(tags, ElementsAre(1, 2, 3));
    EXPECT_EQ(h.ui.raidPicker->selectedTag(), AppDelegate::kLayoutRAID1);
    EXPECT_TRUE(h.ui.name->isEnabled());
    EXPECT_TRUE(h.ui.rebuildButton->isHidden());
    EXPECT_TRUE(h.ui.disks->isHidden());
    EXPECT_FALSE(h.ui.configButton->isEnabled());
    EXPECT_FALSE(h.sheetOpen());
}

}  // namespace
