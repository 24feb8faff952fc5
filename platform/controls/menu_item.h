// One entry of a menu or a pop-up list.
#pragma once

#include <memory>
#include <string>

#include "platform/core/object.h"
#include "platform/controls/observable.h"
#include "platform/controls/target_action.h"

namespace platform {

class Menu;

class MenuItem : public Observable, public TargetAction {
  public:
    // initWithTitle:action:keyEquivalent:
    static std::shared_ptr<MenuItem> create(std::string title,
                                            Selector action = {},
                                            std::string keyEquivalent = {});

    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string key);

    const ObjectPtr& representedObject() const { return representedObject_; }
    void setRepresentedObject(ObjectPtr object) { representedObject_ = std::move(object); }

    // In a menu that enables its items automatically, an item is enabled when
    // it has an action; otherwise its own flag decides (on by default).
    bool isEnabled() const;
    void setEnabled(bool enabled);

    // The menu holding the item, or null.
    Menu* menu() const { return menu_; }

  protected:
    MenuItem(std::string title, Selector action, std::string keyEquivalent);

  private:
    friend class Menu;
    std::string title_;
    std::string keyEquivalent_;
    ObjectPtr representedObject_;
    bool enabled_ = true;
    Menu* menu_ = nullptr;
};

}  // namespace platform
