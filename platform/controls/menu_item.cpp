#include "platform/controls/menu_item.h"

#include <utility>

#include "platform/controls/menu.h"

namespace platform {

MenuItem::MenuItem(std::string title, Selector action, std::string keyEquivalent)
    : TargetAction(std::move(action)),
      title_(std::move(title)),
      keyEquivalent_(std::move(keyEquivalent)) {}

std::shared_ptr<MenuItem> MenuItem::create(std::string title,
                                           Selector action,
                                           std::string keyEquivalent) {
    return std::shared_ptr<MenuItem>(
        new MenuItem(std::move(title), std::move(action), std::move(keyEquivalent)));
}

void MenuItem::setTitle(std::string title) {
    if (title != title_) {
        title_ = std::move(title);
        notify(Change::Title);
    }
}

void MenuItem::setKeyEquivalent(std::string key) {
    if (key != keyEquivalent_) {
        keyEquivalent_ = std::move(key);
        notify(Change::Other);
    }
}

bool MenuItem::isEnabled() const {
    if (menu_ != nullptr && menu_->autoenablesItems()) {
        return static_cast<bool>(action());
    }
    return enabled_;
}

void MenuItem::setEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        notify(Change::Enabled);
    }
}

}  // namespace platform
