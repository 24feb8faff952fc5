#include "frontend/qt/application_binding.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace frontend {

ApplicationBinding::ApplicationBinding(platform::Application& application, QWidget* mainWindow)
    : QObject(mainWindow), mainWindow_(mainWindow) {
    observation_ = application.observe([this](platform::Observable& sender, platform::Change what) {
        if (what == platform::Change::Terminated) {
            QCoreApplication::quit();
        } else if (what == platform::Change::Active && mainWindow_ && mainWindow_->isVisible()) {
            mainWindow_->raise();
            mainWindow_->activateWindow();
        } else if (what == platform::Change::Busy) {
            showBusy(static_cast<platform::Application&>(sender).isBusy());
        }
    });
}

ApplicationBinding::~ApplicationBinding() {
    showBusy(false);
}

void ApplicationBinding::showBusy(bool busy) {
    if (busy == showingBusy_) {
        return;
    }
    showingBusy_ = busy;
    if (!busy) {
        QApplication::restoreOverrideCursor();
        return;
    }
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    // The thread blocks next: draw the windows now, without the alert that
    // just closed, instead of leaving its picture on screen. Painting only;
    // no event is processed, so nothing of the program runs in between.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->repaint();
        }
    }
}

}  // namespace frontend
