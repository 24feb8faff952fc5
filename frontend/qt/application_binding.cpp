#include "frontend/qt/application_binding.h"

#include <QCoreApplication>
#include <QWidget>

namespace frontend {

ApplicationBinding::ApplicationBinding(platform::Application& application, QWidget* mainWindow)
    : QObject(mainWindow), mainWindow_(mainWindow) {
    observation_ = application.observe([this](platform::Observable&, platform::Change what) {
        if (what == platform::Change::Terminated) {
            QCoreApplication::quit();
        } else if (what == platform::Change::Active && mainWindow_ && mainWindow_->isVisible()) {
            mainWindow_->raise();
            mainWindow_->activateWindow();
        }
    });
}

}  // namespace frontend
