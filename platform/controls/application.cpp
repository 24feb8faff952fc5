#include "platform/controls/application.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/controls/alert.h"
#include "platform/runloop/report_exception.h"
#include "platform/runloop/run_loop.h"

namespace platform {

namespace {

std::shared_ptr<Application>& sharedSlot() {
    static std::shared_ptr<Application> shared;
    return shared;
}

}  // namespace

std::shared_ptr<Application> Application::create() {
    return std::shared_ptr<Application>(new Application());
}

Application& Application::sharedApplication() {
    auto& slot = sharedSlot();
    if (!slot) {
        slot = create();
    }
    return *slot;
}

// --- lifecycle

void Application::finishLaunching() {
    if (auto delegate = delegate_.lock()) {
        delegate->applicationDidFinishLaunching(nullptr);
    }
}

void Application::run() {
    finishLaunching();
    RunLoop* loop = RunLoop::current();
    if (loop == nullptr || terminated_) {
        return;
    }
    running_ = true;
    while (!terminated_) {
        loop->runInMode(Mode::Default);
        if (!loop->nextDeadline() && loop->fdSourcesInCurrentMode().empty()) {
            break;  // nothing can ever happen again
        }
    }
    running_ = false;
}

void Application::terminate(Object*) {
    if (terminated_) {
        return;
    }
    terminated_ = true;
    if (auto delegate = delegate_.lock()) {
        try {
            delegate->applicationWillTerminate(nullptr);
        } catch (...) {
            reportEscapedException("applicationWillTerminate");
        }
    }
    if (running_) {
        if (RunLoop* loop = RunLoop::current()) {
            loop->stop();
        }
    }
    notify(Change::Terminated);
}

void Application::registerWindow(const std::shared_ptr<Window>& window) {
    std::erase_if(windows_, [](const auto& w) { return w.expired(); });
    const bool known = std::any_of(windows_.begin(), windows_.end(),
                                   [&](const auto& w) { return w.lock() == window; });
    if (!known) {
        windows_.push_back(window);
    }
}

void Application::windowDidClose(Window& closed) {
    for (const auto& weak : windows_) {
        auto window = weak.lock();
        if (window && window.get() != &closed && window->isVisible()) {
            return;
        }
    }
    auto delegate = delegate_.lock();
    if (delegate && delegate->applicationShouldTerminateAfterLastWindowClosed(*this)) {
        terminate(nullptr);
    }
}

void Application::activateIgnoringOtherApps(bool) {
    active_ = true;
    ++activations_;
    notify(Change::Active);
}

// --- action dispatch

bool Application::sendAction(const Selector& action, const WeakObjectPtr& target, Object* sender) {
    if (!action) {
        return false;
    }
    ObjectPtr receiver = target.lock();
    if (!receiver) {
        receiver = std::dynamic_pointer_cast<Object>(delegate_.lock());
    }
    if (!receiver) {
        return false;
    }
    try {
        action(*receiver, sender);
    } catch (...) {
        reportEscapedException("action " + action.name());
    }
    return true;
}

// --- sheets

void Application::beginSheet(const std::shared_ptr<Panel>& sheet,
                             const std::shared_ptr<Window>& window) {
    if (!sheet || !window || sheet == window || window->attachedSheet() || sheet->isSheet()) {
        return;
    }
    sheet->sheetParent_ = window;
    window->attachedSheet_ = sheet;
    sheet->setVisible(true);
    window->notify(Change::Sheet);
    sheet->notify(Change::Sheet);
}

void Application::endSheet(const std::shared_ptr<Panel>& sheet) {
    if (!sheet) {
        return;
    }
    auto window = sheet->sheetParent();
    sheet->sheetParent_.reset();
    if (window && window->attachedSheet_.lock() == sheet) {
        window->attachedSheet_.reset();
        window->notify(Change::Sheet);
        sheet->notify(Change::Sheet);
    }
}

// --- modal alerts

ModalResponse Application::runModalForAlert(const Alert& alert) {
    auto presenter = presenter_;  // stays alive even if replaced meanwhile
    if (!presenter) {
        return kModalResponseAbort;
    }
    ModalSession session;
    modalSessions_.push_back(&session);
    std::optional<RunLoop::ModeScope> modal;
    if (RunLoop* loop = RunLoop::current()) {
        modal.emplace(*loop, Mode::ModalPanel);
    }
    notify(Change::Modal);

    ModalResponse response = kModalResponseAbort;
    try {
        response = presenter->present(alert);
    } catch (...) {
        modalSessions_.erase(std::find(modalSessions_.begin(), modalSessions_.end(), &session));
        modal.reset();
        notify(Change::Modal);
        throw;
    }
    modalSessions_.erase(std::find(modalSessions_.begin(), modalSessions_.end(), &session));
    modal.reset();
    notify(Change::Modal);
    return session.aborted ? kModalResponseAbort : response;
}

void Application::abortModal() {
    if (modalSessions_.empty() || modalSessions_.back()->aborted) {
        return;
    }
    modalSessions_.back()->aborted = true;
    if (presenter_) {
        presenter_->abort();
    }
}

// --- busy

Application::BusyScope::BusyScope()
    : application_(std::static_pointer_cast<Application>(sharedApplication().shared_from_this())) {
    if (application_->busyDepth_++ == 0) {
        application_->notify(Change::Busy);
    }
}

Application::BusyScope::~BusyScope() {
    if (--application_->busyDepth_ == 0) {
        application_->notify(Change::Busy);
    }
}

// --- ScopedApplication

ScopedApplication::ScopedApplication()
    : current_(Application::create()), previous_(std::exchange(sharedSlot(), current_)) {}

ScopedApplication::~ScopedApplication() {
    sharedSlot() = previous_;
}

}  // namespace platform
