// A titled list of menu items; pop-up lists show one.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/menu_item.h"
#include "platform/controls/observable.h"

namespace platform {

class Menu : public Observable {
  public:
    static std::shared_ptr<Menu> create(std::string title = {});
    ~Menu() override;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    // An item belongs to one menu at a time; adding it here moves it.
    void addItem(const std::shared_ptr<MenuItem>& item);
    void removeAllItems();

    const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }
    std::size_t numberOfItems() const { return items_.size(); }
    std::shared_ptr<MenuItem> itemAtIndex(std::size_t index) const;
    // -1 when the item is not in this menu.
    int indexOfItem(const MenuItem* item) const;

    // On by default.
    bool autoenablesItems() const { return autoenablesItems_; }
    void setAutoenablesItems(bool on);

  protected:
    explicit Menu(std::string title);

  private:
    friend class MenuItem;
    void removeItem(const MenuItem* item);

    std::string title_;
    std::vector<std::shared_ptr<MenuItem>> items_;
    bool autoenablesItems_ = true;
};

}  // namespace platform
