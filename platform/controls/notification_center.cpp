#include "platform/controls/notification_center.h"

#include <algorithm>

namespace platform {

struct NotificationCenter::Entry {
    WeakObjectPtr target;
    const Object* targetAddress;
    std::string name;
    Callback callback;
    bool removed = false;
};

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const WeakObjectPtr& target,
                                     const std::string& name,
                                     Callback callback) {
    if (!callback) {
        return;
    }
    auto locked = target.lock();
    if (!locked) {
        return;
    }
    entries_.push_back(
        std::make_shared<Entry>(Entry{target, locked.get(), name, std::move(callback), false}));
}

void NotificationCenter::addObserver(const WeakObjectPtr& target,
                                     const std::string& name,
                                     Selector selector) {
    if (!selector) {
        return;
    }
    WeakObjectPtr weak = target;
    addObserver(target, name, [weak, selector](const Notification& notification) {
        if (auto object = weak.lock()) {
            selector(*object, notification.sender);
        }
    });
}

void NotificationCenter::removeObserver(const Object* target) {
    std::erase_if(entries_, [target](const std::shared_ptr<Entry>& entry) {
        if (entry->targetAddress == target) {
            entry->removed = true;
            return true;
        }
        return false;
    });
}

void NotificationCenter::removeObserver(const Object* target, const std::string& name) {
    std::erase_if(entries_, [target, &name](const std::shared_ptr<Entry>& entry) {
        if (entry->targetAddress == target && entry->name == name) {
            entry->removed = true;
            return true;
        }
        return false;
    });
}

void NotificationCenter::post(const std::string& name, Object* sender) {
    // Observers whose target is gone are dropped; a new object at the same
    // address must not inherit their registrations.
    std::erase_if(entries_, [](const std::shared_ptr<Entry>& entry) {
        if (entry->target.expired()) {
            entry->removed = true;
            return true;
        }
        return false;
    });
    const Notification notification{name, sender};
    const auto snapshot = entries_;  // observers may add or remove during the post
    for (const auto& entry : snapshot) {
        if (entry->removed || (!entry->name.empty() && entry->name != name)) {
            continue;
        }
        auto target = entry->target.lock();  // keeps the target alive during its call
        if (!target) {
            continue;
        }
        entry->callback(notification);
    }
}

std::size_t NotificationCenter::observerCount() const {
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(),
        [](const std::shared_ptr<Entry>& entry) { return !entry->target.expired(); }));
}

}  // namespace platform
