// Mirrors a TextField that the person only reads into a QLabel: its text,
// tooltip, hidden and enabled state.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/controls/text_field.h"

class QLabel;

namespace frontend {

class LabelBinding : public QObject {
  public:
    LabelBinding(std::shared_ptr<platform::TextField> field, QLabel* label);

  private:
    void mirror();

    std::shared_ptr<platform::TextField> field_;
    QPointer<QLabel> label_;
    platform::Observation observation_;
};

}  // namespace frontend
