// The part of a button that carries its title, state and action. A window's
// default button is a cell; a matrix is a grid of cells.
#pragma once

#include <memory>
#include <string>

#include "platform/core/object.h"
#include "platform/controls/observable.h"
#include "platform/controls/target_action.h"

namespace platform {

class ButtonCell : public Observable, public TargetAction {
  public:
    static std::shared_ptr<ButtonCell> create(std::string title = {}, int tag = 0);

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // The control that shows this cell (a button or a matrix), if any; it is
    // the sender of the cell's action.
    std::shared_ptr<Object> controlView() const { return controlView_.lock(); }
    void setControlView(WeakObjectPtr view) { controlView_ = std::move(view); }

    // Sends the action through the application's action dispatch, unless the
    // cell is disabled. Returns whether it was sent.
    bool performClick();

  protected:
    ButtonCell(std::string title, int tag);

  private:
    std::string title_;
    bool enabled_ = true;
    int tag_ = 0;
    WeakObjectPtr controlView_;
};

}  // namespace platform
