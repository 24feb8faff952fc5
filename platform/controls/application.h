// The application object: action dispatch, document-modal sheets, modal
// alerts, activation and termination. One shared instance per process;
// tests replace it for a scope with ScopedApplication.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/controls/alert_presenter.h"
#include "platform/controls/application_delegate.h"
#include "platform/controls/modal_response.h"
#include "platform/controls/observable.h"
#include "platform/controls/window.h"
#include "platform/core/object.h"

namespace platform {

class Alert;

class Application : public Observable {
  public:
    static Application& sharedApplication();
    static std::shared_ptr<Application> create();

    // --- delegate and lifecycle
    void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) {
        delegate_ = std::move(delegate);
    }
    std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_.lock(); }
    void finishLaunching();
    // Headless main loop: finishLaunching, then runs the current run loop in
    // default mode until terminate().
    void run();
    // Asks the delegate's applicationWillTerminate, then stops the run loop
    // started by run() and tells observers (the front end quits). Once only.
    void terminate(Object* sender);
    bool isTerminated() const { return terminated_; }
    // Called by Window::close: quits when no other window is visible and
    // the delegate agrees.
    void windowDidClose(Window& window);

    // --- activation
    void activateIgnoringOtherApps(bool flag);
    bool isActive() const { return active_; }
    std::size_t activationCount() const { return activations_; }

    // --- action dispatch
    // Sends `action` to `target` (to the delegate when the target is null,
    // if the delegate is an Object). An exception escaping the action is
    // reported on stderr and the application keeps running. Returns whether
    // the action was delivered (false: no action or no live target).
    bool sendAction(const Selector& action, const WeakObjectPtr& target, Object* sender);

    // --- document-modal sheets (the run loop stays in default mode)
    // Attaches `sheet` to `window` and shows it. Ignored when either is null,
    // the window already has a sheet or the panel is already a sheet.
    void beginSheet(const std::shared_ptr<Panel>& sheet, const std::shared_ptr<Window>& window);
    // Detaches the sheet from its window; it stays visible until ordered
    // out. Ignored for a panel that is not a sheet.
    void endSheet(const std::shared_ptr<Panel>& sheet);

    // --- modal alerts
    void setAlertPresenter(std::shared_ptr<AlertPresenter> presenter) {
        presenter_ = std::move(presenter);
    }
    const std::shared_ptr<AlertPresenter>& alertPresenter() const { return presenter_; }
    // Runs the alert through the presenter with the current run loop in
    // ModalPanel mode (see Alert::runModal).
    ModalResponse runModalForAlert(const Alert& alert);
    // Ends the innermost modal session, which then answers
    // kModalResponseAbort. Without a modal session it does nothing (and does
    // not affect a later one).
    void abortModal();
    bool isModal() const { return !modalSessions_.empty(); }

    // --- busy
    // Marks the main thread as about to block (a long library call): while a
    // scope lives the front end shows a busy cursor, and when the first one
    // begins it draws the windows as they are now, before the thread blocks.
    class BusyScope {
      public:
        BusyScope();
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

      private:
        std::shared_ptr<Application> application_;
    };
    bool isBusy() const { return busyDepth_ > 0; }

  protected:
    Application() = default;

  private:
    friend class Window;
    // Windows shown at least once; the last-window check looks at these.
    void registerWindow(const std::shared_ptr<Window>& window);

    struct ModalSession {
        bool aborted = false;
    };

    std::weak_ptr<ApplicationDelegate> delegate_;
    std::shared_ptr<AlertPresenter> presenter_;
    std::vector<ModalSession*> modalSessions_;
    std::vector<std::weak_ptr<Window>> windows_;
    bool active_ = false;
    std::size_t activations_ = 0;
    bool terminated_ = false;
    bool running_ = false;
    int busyDepth_ = 0;
};

// Installs a fresh shared application for its scope and restores the
// previous one afterwards.
class ScopedApplication {
  public:
    ScopedApplication();
    ~ScopedApplication();
    ScopedApplication(const ScopedApplication&) = delete;
    ScopedApplication& operator=(const ScopedApplication&) = delete;

    Application& application() const { return *current_; }

  private:
    std::shared_ptr<Application> current_;
    std::shared_ptr<Application> previous_;
};

}  // namespace platform
