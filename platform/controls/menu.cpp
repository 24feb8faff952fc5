#include "platform/controls/menu.h"

#include <algorithm>
#include <utility>

namespace platform {

Menu::Menu(std::string title) : title_(std::move(title)) {}

Menu::~Menu() {
    for (auto& item : items_) {
        item->menu_ = nullptr;
    }
}

std::shared_ptr<Menu> Menu::create(std::string title) {
    return std::shared_ptr<Menu>(new Menu(std::move(title)));
}

void Menu::setTitle(std::string title) {
    if (title != title_) {
        title_ = std::move(title);
        notify(Change::Title);
    }
}

void Menu::addItem(const std::shared_ptr<MenuItem>& item) {
    if (!item) {
        return;
    }
    if (item->menu_ != nullptr) {
        item->menu_->removeItem(item.get());
    }
    items_.push_back(item);
    item->menu_ = this;
    notify(Change::Items);
}

void Menu::removeItem(const MenuItem* item) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [item](const auto& candidate) { return candidate.get() == item; });
    if (it != items_.end()) {
        (*it)->menu_ = nullptr;
        items_.erase(it);
        notify(Change::Items);
    }
}

void Menu::removeAllItems() {
    if (items_.empty()) {
        return;
    }
    for (auto& item : items_) {
        item->menu_ = nullptr;
    }
    items_.clear();
    notify(Change::Items);
}

std::shared_ptr<MenuItem> Menu::itemAtIndex(std::size_t index) const {
    return index < items_.size() ? items_[index] : nullptr;
}

int Menu::indexOfItem(const MenuItem* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Menu::setAutoenablesItems(bool on) {
    if (on != autoenablesItems_) {
        autoenablesItems_ = on;
        notify(Change::Enabled);
    }
}

}  // namespace platform
