// The root of everything a control, a menu item or a delayed perform refers to,
// and the action messages sent to such objects.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace platform {

class Object : public std::enable_shared_from_this<Object> {
  public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;
};

using ObjectPtr = std::shared_ptr<Object>;
using WeakObjectPtr = std::weak_ptr<Object>;

// An action message: its name (what identifies it, as a selector did) and the
// code it runs on a target. Two selectors are equal when their names are.
class Selector {
  public:
    using Invoke = std::function<void(Object& target, Object* sender)>;

    Selector() = default;
    Selector(std::string name, Invoke invoke)
        : name_(std::move(name)), invoke_(std::move(invoke)) {}

    const std::string& name() const { return name_; }
    explicit operator bool() const { return static_cast<bool>(invoke_); }

    // Runs the action on `target`; a target of another class than the one the
    // selector was made for ignores it (as an object that does not respond would).
    void operator()(Object& target, Object* sender) const {
        if (invoke_) {
            invoke_(target, sender);
        }
    }

    friend bool operator==(const Selector& a, const Selector& b) { return a.name_ == b.name_; }

  private:
    std::string name_;
    Invoke invoke_;
};

// makeSelector<AppDelegate>("changeDevice:", &AppDelegate::changeDevice)
template <class T>
Selector makeSelector(std::string name, void (T::*method)(Object* sender)) {
    return Selector(std::move(name), [method](Object& target, Object* sender) {
        if (auto* self = dynamic_cast<T*>(&target)) {
            (self->*method)(sender);
        }
    });
}

template <class T>
Selector makeSelector(std::string name, void (T::*method)()) {
    return Selector(std::move(name), [method](Object& target, Object*) {
        if (auto* self = dynamic_cast<T*>(&target)) {
            (self->*method)();
        }
    });
}

}  // namespace platform
