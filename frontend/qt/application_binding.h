// Connects the Application to Qt's: its termination quits Qt's event loop,
// its activation raises the main window.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/controls/application.h"

class QWidget;

namespace frontend {

class ApplicationBinding : public QObject {
  public:
    ApplicationBinding(platform::Application& application, QWidget* mainWindow);

  private:
    QPointer<QWidget> mainWindow_;
    platform::Observation observation_;
};

}  // namespace frontend
