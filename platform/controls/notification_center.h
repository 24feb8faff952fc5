// In-process notifications by name: observers register for a name (from any
// sender) and are called synchronously, in registration order, by post().
// An observer is held weakly through its target: once the target is gone it
// is never called again.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/object.h"

namespace platform {

struct Notification {
    std::string name;
    Object* sender = nullptr;
};

class NotificationCenter {
  public:
    using Callback = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // Calls `callback` for every post of `name`; an empty name observes all.
    void addObserver(const WeakObjectPtr& target, const std::string& name, Callback callback);
    // Sends `selector` to the target with the notification's sender as sender.
    void addObserver(const WeakObjectPtr& target, const std::string& name, Selector selector);

    // Removes every registration of `target` (of one name when given).
    void removeObserver(const Object* target);
    void removeObserver(const Object* target, const std::string& name);

    // Observers added during a post are not called for it; observers removed
    // during a post are not called after their removal.
    void post(const std::string& name, Object* sender = nullptr);

    std::size_t observerCount() const;

  private:
    struct Entry;
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace platform
