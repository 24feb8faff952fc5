// One entry of a menu or a pop-up list.
#pragma once

#include <memory>
#include <string>

#include "platform/controls/object.h"
#include "platform/controls/observable.h"

namespace platform {

class Menu;

class MenuItem : public Observable {
  public:
    // initWithTitle:action:keyEquivalent:
    static std::shared_ptr<MenuItem> create(std::string title,
                                            Selector action = {},
                                            std::string keyEquivalent = {});

    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    const Selector& action() const { return action_; }
    void setAction(Selector action) { action_ = std::move(action); }

    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string key);

    // Not owned: an item never keeps its target alive.
    const WeakObjectPtr& target() const { return target_; }
    void setTarget(WeakObjectPtr target) { target_ = std::move(target); }

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
    Selector action_;
    std::string keyEquivalent_;
    WeakObjectPtr target_;
    ObjectPtr representedObject_;
    bool enabled_ = true;
    Menu* menu_ = nullptr;
};

}  // namespace platform
