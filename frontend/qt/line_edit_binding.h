// Mirrors an editable TextField into a QLineEdit: text, selection, enabled
// and hidden state. Every edit the person makes (typing, pasting, deleting,
// undo) is handed to the field as a proposed text before the line edit
// takes it, so the field's formatter decides what stays, as it would for
// the original control.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/controls/text_field.h"

class QLineEdit;

namespace frontend {

class LineEditBinding : public QObject {
  public:
    LineEditBinding(std::shared_ptr<platform::TextField> field, QLineEdit* edit);

  private:
    class Validator;
    friend class Validator;

    void mirror();
    void selectionMoved();
    platform::TextRange widgetSelection() const;
    // The line edit's proposed text after an edit: returns what the field kept.
    void propose(QString& text, int& cursor);

    std::shared_ptr<platform::TextField> field_;
    QPointer<QLineEdit> edit_;
    platform::Observation observation_;
    // Set while Qt asks about an edit or while the field is mirrored: the
    // line edit is then in the middle of a change of its own.
    bool busy_ = false;
};

}  // namespace frontend
