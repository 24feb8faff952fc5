// Connects the Application to Qt's: its termination quits Qt's event loop,
// its activation raises the main window, and while it is busy the cursor
// shows it.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/controls/application.h"

class QWidget;

namespace frontend {

class ApplicationBinding : public QObject {
  public:
    ApplicationBinding(platform::Application& application, QWidget* mainWindow);
    ~ApplicationBinding() override;

  private:
    void showBusy(bool busy);

    QPointer<QWidget> mainWindow_;
    bool showingBusy_ = false;
    platform::Observation observation_;
};

}  // namespace frontend
