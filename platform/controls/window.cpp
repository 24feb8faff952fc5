#include "platform/controls/window.h"

#include <utility>

#include "platform/controls/application.h"

namespace platform {

Window::Window(std::string title) : title_(std::move(title)) {}

Window::~Window() = default;

std::shared_ptr<Window> Window::create(std::string title) {
    return std::shared_ptr<Window>(new Window(std::move(title)));
}

void Window::setTitle(std::string title) {
    if (title != title_) {
        title_ = std::move(title);
        notify(Change::Title);
    }
}

void Window::setVisible(bool visible) {
    if (visible != visible_) {
        visible_ = visible;
        notify(Change::Visible);
    }
}

void Window::makeKeyAndOrderFront(Object*) {
    if (auto self = std::dynamic_pointer_cast<Window>(weak_from_this().lock())) {
        Application::sharedApplication().registerWindow(self);
    }
    setVisible(true);
}

void Window::orderOut(Object*) {
    setVisible(false);
}

void Window::close() {
    const bool wasVisible = visible_;
    setVisible(false);
    if (wasVisible) {
        Application::sharedApplication().windowDidClose(*this);
    }
}

void Window::setDefaultButtonCell(const std::shared_ptr<ButtonCell>& cell) {
    if (cell != defaultButtonCell_.lock()) {
        defaultButtonCell_ = cell;
        notify(Change::DefaultButton);
    }
}

bool Window::performDefaultButtonClick() {
    auto cell = defaultButtonCell();
    return cell ? cell->performClick() : false;
}

Panel::Panel(std::string title) : Window(std::move(title)) {}

std::shared_ptr<Panel> Panel::create(std::string title) {
    return std::shared_ptr<Panel>(new Panel(std::move(title)));
}

}  // namespace platform
