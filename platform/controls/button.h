// A push button. Title, enabled state, target and action live in its cell,
// so a panel can take the cell as its default button.
#pragma once

#include <memory>
#include <string>

#include "platform/controls/button_cell.h"
#include "platform/controls/observable.h"

namespace platform {

class Button : public Observable {
  public:
    static std::shared_ptr<Button> create(std::string title = {});

    const std::shared_ptr<ButtonCell>& cell() const { return cell_; }

    const std::string& title() const { return cell_->title(); }
    void setTitle(std::string title) { cell_->setTitle(std::move(title)); }
    bool isEnabled() const { return cell_->isEnabled(); }
    void setEnabled(bool enabled) { cell_->setEnabled(enabled); }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);

    const Selector& action() const { return cell_->action(); }
    void setAction(Selector action) { cell_->setAction(std::move(action)); }
    const WeakObjectPtr& target() const { return cell_->target(); }
    void setTarget(WeakObjectPtr target) { cell_->setTarget(std::move(target)); }

    // A click by the user (or the program): sends the action unless the
    // button is disabled or hidden. Returns whether it was sent.
    bool performClick();

  protected:
    explicit Button(std::string title);

  private:
    std::shared_ptr<ButtonCell> cell_;
    Observation cellObservation_;
    bool hidden_ = false;
};

}  // namespace platform
