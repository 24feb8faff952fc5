#include "frontend/qt/button_binding.h"

#include <QAbstractButton>

#include "frontend/qt/guarded.h"
#include "frontend/qt/qt_text.h"

namespace frontend {

ButtonBinding::ButtonBinding(std::shared_ptr<platform::Button> button, QAbstractButton* widget)
    : QObject(widget), button_(std::move(button)), widget_(widget) {
    mirror();
    observation_ = button_->observe([this](platform::Observable&, platform::Change) { mirror(); });
    connect(widget_, &QAbstractButton::clicked, this, [this] {
        // Keep the control alive through an action that rebuilds the interface.
        auto button = button_;
        guarded("button click", [&] { button->performClick(); });
    });
}

void ButtonBinding::mirror() {
    if (!widget_) {
        return;
    }
    const QString text = mnemonicText(button_->title());
    if (widget_->text() != text) {
        widget_->setText(text);
    }
    widget_->setEnabled(button_->isEnabled());
    widget_->setHidden(button_->isHidden());
}

}  // namespace frontend
