// Mirrors a Button into a QPushButton (title, enabled, hidden); a click by
// the person is the button's click, which sends its action.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/controls/button.h"

class QAbstractButton;

namespace frontend {

class ButtonBinding : public QObject {
  public:
    ButtonBinding(std::shared_ptr<platform::Button> button, QAbstractButton* widget);

    const std::shared_ptr<platform::Button>& button() const { return button_; }
    QAbstractButton* widget() const { return widget_; }

  private:
    void mirror();

    std::shared_ptr<platform::Button> button_;
    QPointer<QAbstractButton> widget_;
    platform::Observation observation_;
};

}  // namespace frontend
