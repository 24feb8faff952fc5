#include "platform/controls/pop_up_button.h"

#include "platform/controls/application.h"

namespace platform {

PopUpButton::PopUpButton() : menu_(Menu::create()) {
    watchMenu();
}

std::shared_ptr<PopUpButton> PopUpButton::create() {
    return std::shared_ptr<PopUpButton>(new PopUpButton());
}

void PopUpButton::watchMenu() {
    menuObservation_ = menu_->observe([this](Observable&, Change what) {
        if (what == Change::Items) {
            menuItemsChanged();
        }
    });
}

void PopUpButton::menuItemsChanged() {
    // Entries added to or removed from the shown menu: keep the selection
    // on an existing entry.
    const int count = static_cast<int>(menu_->numberOfItems());
    int selected = selectedIndex_;
    if (selected >= count) {
        selected = count - 1;
    }
    if (selected < 0 && count > 0) {
        selected = 0;
    }
    if (selected != selectedIndex_) {
        selectedIndex_ = selected;
        notify(Change::Selection);
    }
    notify(Change::Items);
}

void PopUpButton::setMenu(const std::shared_ptr<Menu>& menu) {
    menu_ = menu ? menu : Menu::create();
    watchMenu();
    selectedIndex_ = menu_->numberOfItems() > 0 ? 0 : -1;
    notify(Change::Items);
    notify(Change::Selection);
}

std::shared_ptr<MenuItem> PopUpButton::selectedItem() const {
    return selectedIndex_ < 0 ? nullptr
                              : menu_->itemAtIndex(static_cast<std::size_t>(selectedIndex_));
}

void PopUpButton::selectItemAtIndex(int index) {
    if (index < 0 || index >= static_cast<int>(menu_->numberOfItems())) {
        index = -1;
    }
    if (index != selectedIndex_) {
        selectedIndex_ = index;
        notify(Change::Selection);
    }
}

void PopUpButton::removeAllItems() {
    // The menu's change notice clears the selection.
    menu_->removeAllItems();
    if (selectedIndex_ != -1) {
        selectedIndex_ = -1;
        notify(Change::Selection);
    }
}

void PopUpButton::setEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        notify(Change::Enabled);
    }
}

bool PopUpButton::userSelectItemAtIndex(int index) {
    if (!enabled_ || index < 0 || index >= static_cast<int>(menu_->numberOfItems())) {
        return false;
    }
    auto item = menu_->itemAtIndex(static_cast<std::size_t>(index));
    if (!item->isEnabled()) {
        return false;
    }
    selectItemAtIndex(index);
    if (item->action()) {
        return Application::sharedApplication().sendAction(item->action(), item->target(),
                                                           item.get());
    }
    return sendAction(this);
}

}  // namespace platform
