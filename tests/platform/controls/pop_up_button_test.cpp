#include "platform/controls/pop_up_button.h"

#include <gtest/gtest.h>

#include "platform/controls/application.h"
#include "recorder.h"

namespace platform {
namespace {

using testing::Recorder;

class PopUpButtonTest : public ::testing::Test {
  protected:
    ScopedApplication app;
    std::shared_ptr<Recorder> target = std::make_shared<Recorder>();
    std::shared_ptr<PopUpButton> popUp = PopUpButton::create();
    std::vector<Change> changes;
    Observation watch = popUp->observe([this](Observable&, Change c) { changes.push_back(c); });

    std::shared_ptr<Menu> menuOf(std::initializer_list<const char*> titles) {
        auto menu = Menu::create("Devices");
        for (const char* title : titles) {
            auto item = MenuItem::create(title, Recorder::selector("changeDevice:"), "");
            item->setTarget(target);
            menu->addItem(item);
        }
        return menu;
    }
};

TEST_F(PopUpButtonTest, NewMenuSelectsItsFirstItemEvenAfterAnotherWasPicked) {
    popUp->setMenu(menuOf({"A", "B"}));
    popUp->selectItemAtIndex(1);
    popUp->setMenu(menuOf({"C", "D"}));
    ASSERT_NE(popUp->selectedItem(), nullptr);
    EXPECT_EQ(popUp->selectedItem()->title(), "C");
    EXPECT_NE(std::find(changes.begin(), changes.end(), Change::Selection), changes.end());
}

TEST_F(PopUpButtonTest, EmptyOrNullMenuAndRemoveAllLeaveNothingSelected) {
    popUp->setMenu(menuOf({}));
    EXPECT_EQ(popUp->selectedItem(), nullptr);
    popUp->setMenu(nullptr);
    EXPECT_EQ(popUp->selectedItem(), nullptr);
    EXPECT_EQ(popUp->numberOfItems(), 0u);

    auto menu = menuOf({"A", "B"});
    popUp->setMenu(menu);
    popUp->removeAllItems();
    EXPECT_EQ(popUp->selectedItem(), nullptr);
    EXPECT_EQ(popUp->indexOfSelectedItem(), -1);
    EXPECT_EQ(menu->numberOfItems(), 0u);

    menu->addItem(MenuItem::create("late"));  // an entry appearing in the shown menu
    ASSERT_NE(popUp->selectedItem(), nullptr);
    EXPECT_EQ(popUp->selectedItem()->title(), "late");
}

TEST_F(PopUpButtonTest, UserPickSelectsAndSendsTheItemsActionToItsTarget) {
    popUp->setMenu(menuOf({"A", "B"}));
    EXPECT_TRUE(popUp->userSelectItemAtIndex(1));
    EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
    ASSERT_EQ(target->actions, std::vector<std::string>{"changeDevice:"});
    EXPECT_EQ(target->senders[0], popUp->selectedItem().get());

    EXPECT_FALSE(popUp->userSelectItemAtIndex(2));  // out of range
    popUp->setEnabled(false);
    EXPECT_FALSE(popUp->userSelectItemAtIndex(0));
    EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
    EXPECT_EQ(target->actions.size(), 1u);
}

TEST_F(PopUpButtonTest, ItemsKeepNoTargetAliveAndAGoneTargetGetsNothing) {
    popUp->setMenu(menuOf({"A"}));
    std::weak_ptr<Recorder> weak = target;
    target.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(popUp->userSelectItemAtIndex(0));
}

TEST(Menu, AutomaticEnablingFollowsTheActionAndCanBeTurnedOff) {
    auto menu = Menu::create("Volumes");
    auto withAction = MenuItem::create("set", Recorder::selector("changeVolume:"));
    auto withoutAction = MenuItem::create("bare");
    withAction->setEnabled(false);
    menu->addItem(withAction);
    menu->addItem(withoutAction);
    EXPECT_TRUE(withAction->isEnabled());
    EXPECT_FALSE(withoutAction->isEnabled());
    menu->setAutoenablesItems(false);
    EXPECT_FALSE(withAction->isEnabled());
    EXPECT_TRUE(withoutAction->isEnabled());
}

TEST(Menu, AnItemMovedToAnotherMenuLeavesTheFirst) {
    auto first = Menu::create();
    auto second = Menu::create();
    auto item = MenuItem::create("x");
    first->addItem(item);
    second->addItem(item);
    EXPECT_EQ(first->numberOfItems(), 0u);
    EXPECT_EQ(item->menu(), second.get());
    second.reset();
    EXPECT_EQ(item->menu(), nullptr);
}

}  // namespace
}  // namespace platform
