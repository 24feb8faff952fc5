#include "frontend/qt/window_binding.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

#include "frontend/qt/guarded.h"
#include "frontend/qt/qt_text.h"

namespace frontend {

WindowBinding::WindowBinding(std::shared_ptr<platform::Window> window,
                             QWidget* widget,
                             ButtonForCell buttonForCell)
    : QObject(widget),
      window_(std::move(window)),
      widget_(widget),
      buttonForCell_(std::move(buttonForCell)) {
    widget_->installEventFilter(this);
    observation_ = window_->observe([this](platform::Observable&, platform::Change what) {
        if (what == platform::Change::DefaultButton) {
            mirrorDefaultButton();
        } else {
            mirror();
        }
    });
}

void WindowBinding::refresh() {
    mirrorDefaultButton();
    mirror();
}

bool WindowBinding::eventFilter(QObject* watched, QEvent* event) {
    // We only ever hide the widget, which sends no close event: a close
    // event is the person's.
    if (watched == widget_ && event->type() == QEvent::Close) {
        // The window decides whether it closes; Qt does not hide it behind
        // its back.
        event->ignore();
        guarded("window close", [this] { closeRequested(); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void WindowBinding::closeRequested() {
    auto window = window_;
    window->close();
}

void WindowBinding::mirrorDefaultButton() {
    QPushButton* wanted = nullptr;
    if (auto cell = window_->defaultButtonCell(); cell && buttonForCell_) {
        wanted = buttonForCell_(cell.get());
    }
    if (defaultButton_ && defaultButton_ != wanted) {
        defaultButton_->setDefault(false);
    }
    defaultButton_ = wanted;
    if (wanted != nullptr) {
        wanted->setDefault(true);
    }
}

void WindowBinding::mirror() {
    if (!widget_) {
        return;
    }
    if (!window_->title().empty()) {
        widget_->setWindowTitle(toQString(window_->title()));
    }
    if (window_->isVisible() != widget_->isVisible()) {
        widget_->setVisible(window_->isVisible());
    }
}

SheetBinding::SheetBinding(std::shared_ptr<platform::Panel> panel,
                           QWidget* dialog,
                           ButtonForCell buttonForCell,
                           std::function<void()> dismiss)
    : WindowBinding(std::move(panel), dialog, std::move(buttonForCell)),
      dismiss_(std::move(dismiss)) {
    // Blocks its parent window only, as a sheet does.
    dialog->setWindowModality(Qt::WindowModal);
}

bool SheetBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            guarded("sheet escape", [this] { closeRequested(); });
            return true;
        }
    }
    return WindowBinding::eventFilter(watched, event);
}

void SheetBinding::closeRequested() {
    if (dismiss_) {
        dismiss_();
    }
}

void SheetBinding::mirror() {
    if (!widget_) {
        return;
    }
    if (!window_->title().empty()) {
        widget_->setWindowTitle(toQString(window_->title()));
    }
    if (window_->isVisible() == widget_->isVisible()) {
        return;
    }
    if (window_->isVisible()) {
        // Placed over the top of its parent, where a sheet drops down.
        if (QWidget* parent = widget_->parentWidget()) {
            widget_->adjustSize();
            const QRect frame = parent->geometry();
            widget_->move(frame.x() + (frame.width() - widget_->width()) / 2, frame.y() + 24);
        }
        widget_->show();
        widget_->raise();
        widget_->activateWindow();
    } else {
        widget_->hide();
    }
}

}  // namespace frontend
