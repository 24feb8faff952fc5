#include "platform/controls/alert.h"

#include <utility>

#include "platform/controls/application.h"

namespace platform {

std::shared_ptr<Alert> Alert::create() {
    return std::shared_ptr<Alert>(new Alert());
}

std::size_t Alert::addButtonWithTitle(std::string title) {
    buttons_.push_back(std::move(title));
    return buttons_.size() - 1;
}

ModalResponse Alert::runModal() {
    if (buttons_.empty()) {
        buttons_.emplace_back("OK");
    }
    return Application::sharedApplication().runModalForAlert(*this);
}

}  // namespace platform
