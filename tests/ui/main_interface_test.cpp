#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

// The front end binds widgets by these names.
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
}

// Each part of the delegate receives the actions of the controls it owns.
TEST(MainInterface, WiresEachControlsActionToItsPart) {
    AppHarness h;
    AppDelegate& d = *h.delegate;
    struct Wire {
        const char* control;
        const platform::TargetAction* sender;
        std::string action;
        platform::Object* part;
    };
    const std::vector<Wire> wires = {
        {"devicePicker", h.ui.devicePicker.get(), "changeDevice:", &d.devices()},
        {"picker", h.ui.picker.get(), "changeVolume:", &d.volumes()},
        {"configButton", h.ui.configButton->cell().get(), "configureDevice:", &d.sheet()},
        {"raidPicker", h.ui.raidPicker.get(), "configureMatrixAction:", &d.sheet()},
        {"configNowButton", h.ui.configNowButton->cell().get(), "doConfigure:", &d.sheet()},
        {"cancelButton", h.ui.cancelButton->cell().get(), "doCancel:", &d.sheet()},
        {"rebuildButton", h.ui.rebuildButton->cell().get(), "doRebuild:", &d.rebuild()},
    };
    for (const auto& wire : wires) {
        EXPECT_EQ(wire.sender->action().name(), wire.action) << wire.control;
        EXPECT_EQ(wire.sender->target().lock().get(), wire.part) << wire.control;
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
