// The target and action message that a control or menu item sends when the
// person uses it.
#pragma once

#include <utility>

#include "platform/core/object.h"

namespace platform {

class TargetAction {
  public:
    const Selector& action() const { return action_; }
    void setAction(Selector action) { action_ = std::move(action); }

    // Not owned: a control never keeps its target alive.
    const WeakObjectPtr& target() const { return target_; }
    void setTarget(WeakObjectPtr target) { target_ = std::move(target); }

  protected:
    TargetAction() = default;
    explicit TargetAction(Selector action) : action_(std::move(action)) {}
    ~TargetAction() = default;

    // Sends the action to the target through the application's action
    // dispatch; false when there is no action or it was not sent.
    bool sendAction(Object* sender) const;

  private:
    Selector action_;
    WeakObjectPtr target_;
};

}  // namespace platform
