#include "platform/controls/button_cell.h"

#include <utility>

#include "platform/controls/application.h"

namespace platform {

ButtonCell::ButtonCell(std::string title, int tag) : title_(std::move(title)), tag_(tag) {}

std::shared_ptr<ButtonCell> ButtonCell::create(std::string title, int tag) {
    return std::shared_ptr<ButtonCell>(new ButtonCell(std::move(title), tag));
}

void ButtonCell::setTitle(std::string title) {
    if (title != title_) {
        title_ = std::move(title);
        notify(Change::Title);
    }
}

void ButtonCell::setEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        notify(Change::Enabled);
    }
}

bool ButtonCell::performClick() {
    if (!enabled_) {
        return false;
    }
    // Keep the sender alive while its action runs.
    auto view = controlView();
    Object* sender = view ? view.get() : this;
    return sendAction(sender);
}

}  // namespace platform
