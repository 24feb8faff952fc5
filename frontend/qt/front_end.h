// The desktop front end as a whole: the window and the sheet loaded from the
// interface files, every outlet control of the interface bound to the widget
// of its name, the alert presenter installed, and Qt's event loop driving
// the run loop. main() makes one; the end-to-end tests make one too.
#pragma once

#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "frontend/qt/bundle_translator.h"
#include "frontend/qt/message_box_presenter.h"
#include "frontend/qt/run_loop_driver.h"
#include "frontend/qt/window_binding.h"
#include "platform/controls/application.h"
#include "platform/runloop/run_loop.h"
#include "ui/main_interface.h"

class QDialog;
class QWidget;

namespace frontend {

class FrontEnd {
  public:
    FrontEnd(const MainInterface& ui, platform::Application& application, platform::RunLoop& loop);
    ~FrontEnd();
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;

    QWidget* mainWindow() const { return window_.get(); }
    QDialog* sheet() const { return sheet_; }
    // The widget (or button group) serving the outlet `name`; null if none.
    QObject* outlet(const QString& name) const;
    template <class W>
    W* outlet(const QString& name) const {
        return qobject_cast<W*>(outlet(name));
    }

    // Outlets the interface has but the interface files serve with no
    // fitting widget (expected: none).
    const std::vector<std::string>& unboundOutlets() const { return unbound_; }

    const std::shared_ptr<MessageBoxPresenter>& alertPresenter() const { return presenter_; }
    RunLoopDriver& driver() { return *driver_; }

  private:
    // Ctrl+Q quits, Ctrl+W closes the main window.
    void addShortcuts(const std::shared_ptr<platform::Window>& window);
    void bind(const std::string& name, const platform::ObjectPtr& control, const MainInterface& ui);

    platform::Application& application_;
    std::shared_ptr<platform::AlertPresenter> previousPresenter_;
    // Installed before the interface files are read, removed with the window.
    std::unique_ptr<BundleTranslator> translator_;
    std::unique_ptr<QWidget> window_;
    QDialog* sheet_ = nullptr;  // owned by window_
    std::shared_ptr<MessageBoxPresenter> presenter_;
    std::unique_ptr<RunLoopDriver> driver_;
    std::vector<std::string> unbound_;
    ButtonForCell buttonForCell_;
};

}  // namespace frontend
