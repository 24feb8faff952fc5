#include "frontend/qt/line_edit_binding.h"

#include <QLineEdit>
#include <QValidator>

#include "frontend/qt/guarded.h"
#include "frontend/qt/qt_text.h"

namespace frontend {

// Qt's hook that sees each edit before the line edit accepts it, and may
// replace it: the place of the formatter's edit validation.
class LineEditBinding::Validator : public QValidator {
  public:
    Validator(LineEditBinding& binding, QObject* parent) : QValidator(parent), binding_(binding) {}

    State validate(QString& input, int& pos) const override {
        guarded("text field edit", [&] { binding_.propose(input, pos); });
        return Acceptable;
    }

  private:
    LineEditBinding& binding_;
};

LineEditBinding::LineEditBinding(std::shared_ptr<platform::TextField> field, QLineEdit* edit)
    : QObject(edit), field_(std::move(field)), edit_(edit) {
    mirror();
    edit_->setValidator(new Validator(*this, this));
    observation_ = field_->observe([this](platform::Observable&, platform::Change) { mirror(); });
    connect(edit_, &QLineEdit::cursorPositionChanged, this, &LineEditBinding::selectionMoved);
    connect(edit_, &QLineEdit::selectionChanged, this, &LineEditBinding::selectionMoved);
}

platform::TextRange LineEditBinding::widgetSelection() const {
    if (edit_->hasSelectedText()) {
        return {static_cast<std::size_t>(edit_->selectionStart()),
                static_cast<std::size_t>(edit_->selectionLength())};
    }
    return {static_cast<std::size_t>(edit_->cursorPosition()), 0};
}

void LineEditBinding::propose(QString& text, int& cursor) {
    const std::string proposed = toStdString(text);
    // Text the program set (mirrored from the field) is taken as it is.
    if (busy_ || proposed == field_->stringValue()) {
        return;
    }
    busy_ = true;
    field_->userProposeString(proposed, {static_cast<std::size_t>(std::max(cursor, 0)), 0});
    busy_ = false;
    text = toQString(field_->stringValue());
    cursor = static_cast<int>(field_->selectedRange().end());
}

void LineEditBinding::selectionMoved() {
    if (busy_ || !edit_) {
        return;
    }
    const auto range = widgetSelection();
    if (range != field_->selectedRange()) {
        busy_ = true;
        field_->setSelectedRange(range);
        busy_ = false;
    }
}

void LineEditBinding::mirror() {
    if (busy_ || !edit_) {
        return;
    }
    busy_ = true;
    const QString text = toQString(field_->stringValue());
    if (edit_->text() != text) {
        edit_->setText(text);
    }
    const auto range = field_->selectedRange();
    if (widgetSelection() != range) {
        if (range.length == 0) {
            edit_->setCursorPosition(static_cast<int>(range.location));
        } else {
            edit_->setSelection(static_cast<int>(range.location), static_cast<int>(range.length));
        }
    }
    edit_->setEnabled(field_->isEnabled());
    edit_->setHidden(field_->isHidden());
    busy_ = false;
}

}  // namespace frontend
