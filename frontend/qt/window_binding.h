// Mirrors a Window into a top-level QWidget (title, shown or hidden, the
// default button). The person closing the widget is the window's close,
// which may end the application.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "platform/controls/window.h"

class QPushButton;
class QWidget;

namespace frontend {

// Finds the push button that shows a given cell (for the default button).
using ButtonForCell = std::function<QPushButton*(const platform::ButtonCell*)>;

class WindowBinding : public QObject {
  public:
    WindowBinding(std::shared_ptr<platform::Window> window,
                  QWidget* widget,
                  ButtonForCell buttonForCell);

    // Mirrors the whole state; call once the binding is constructed.
    void refresh();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mirrorDefaultButton();

    virtual void mirror();
    // The person asked to close the window (title bar, window manager).
    virtual void closeRequested();

    std::shared_ptr<platform::Window> window_;
    QPointer<QWidget> widget_;
    ButtonForCell buttonForCell_;
    platform::Observation observation_;
    QPointer<QPushButton> defaultButton_;
};

// The sheet: a window-modal dialog on its parent window's widget, shown while
// the panel is visible. Escape and the window's close box mean "cancel",
// which `dismiss` carries out (the sheet's own cancel button).
class SheetBinding : public WindowBinding {
  public:
    SheetBinding(std::shared_ptr<platform::Panel> panel,
                 QWidget* dialog,
                 ButtonForCell buttonForCell,
                 std::function<void()> dismiss);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mirror() override;
    void closeRequested() override;

  private:
    std::function<void()> dismiss_;
};

}  // namespace frontend
