#include "platform/controls/button.h"

#include <utility>

namespace platform {

Button::Button(std::string title) : cell_(ButtonCell::create(std::move(title))) {
    cellObservation_ = cell_->observe([this](Observable&, Change what) { notify(what); });
}

std::shared_ptr<Button> Button::create(std::string title) {
    auto button = std::shared_ptr<Button>(new Button(std::move(title)));
    button->cell_->setControlView(button->weak_from_this());
    return button;
}

void Button::setHidden(bool hidden) {
    if (hidden != hidden_) {
        hidden_ = hidden;
        notify(Change::Hidden);
    }
}

bool Button::performClick() {
    if (hidden_) {
        return false;
    }
    return cell_->performClick();
}

}  // namespace platform
