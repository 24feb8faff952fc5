// Work waiting for the library, kept per caller and served in turn: each
// caller's oldest item, one caller after another. However much one caller
// sends, another's item waits for at most one item of every other caller.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <utility>

namespace service {

template <class Item>
class FairQueue {
  public:
    bool empty() const { return turns_.empty(); }

    // How many items `caller` has waiting.
    std::size_t waiting(const std::string& caller) const {
        const auto it = items_.find(caller);
        return it == items_.end() ? 0 : it->second.size();
    }

    void push(const std::string& caller, Item item) {
        auto& items = items_[caller];
        if (items.empty()) {
            turns_.push_back(caller);
        }
        items.push_back(std::move(item));
    }

    // The oldest item of the caller whose turn it is; the queue must not be empty.
    Item pop() {
        const std::string caller = std::move(turns_.front());
        turns_.pop_front();
        auto it = items_.find(caller);
        Item item = std::move(it->second.front());
        it->second.pop_front();
        if (it->second.empty()) {
            items_.erase(it);
        } else {
            turns_.push_back(caller);
        }
        return item;
    }

    // Forgets everything `caller` has waiting.
    void drop(const std::string& caller) {
        if (items_.erase(caller) > 0) {
            turns_.erase(std::find(turns_.begin(), turns_.end(), caller));
        }
    }

  private:
    std::map<std::string, std::deque<Item>> items_;
    std::deque<std::string> turns_;  // callers with items, next first
};

}  // namespace service
