// A pop-up list showing one menu, with one selected entry.
#pragma once

#include <memory>

#include "platform/controls/menu.h"
#include "platform/controls/observable.h"
#include "platform/controls/target_action.h"

namespace platform {

// Its own target and action are sent for an item that has no action of its own.
class PopUpButton : public Observable, public TargetAction {
  public:
    static std::shared_ptr<PopUpButton> create();

    // Replaces the menu; its first item becomes the selected one (none when
    // the menu is empty). A null menu is taken as an empty one.
    void setMenu(const std::shared_ptr<Menu>& menu);
    const std::shared_ptr<Menu>& menu() const { return menu_; }

    // Null when nothing is selected.
    std::shared_ptr<MenuItem> selectedItem() const;
    int indexOfSelectedItem() const { return selectedIndex_; }
    std::size_t numberOfItems() const { return menu_->numberOfItems(); }

    // Selects without sending anything, as the program does; an index out of
    // range selects nothing.
    void selectItemAtIndex(int index);

    // Empties the current menu; nothing is selected afterwards.
    void removeAllItems();

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The user picked entry `index` (the front end runs the open menu in
    // event-tracking mode). Selects it and sends its action to its target
    // through the application's action dispatch, the item as sender. Ignored
    // while the pop-up or the item is disabled or the index is out of range.
    // Returns whether an action was sent.
    bool userSelectItemAtIndex(int index);

  protected:
    PopUpButton();

  private:
    void watchMenu();
    void menuItemsChanged();

    std::shared_ptr<Menu> menu_;
    Observation menuObservation_;
    int selectedIndex_ = -1;
    bool enabled_ = true;
};

}  // namespace platform
