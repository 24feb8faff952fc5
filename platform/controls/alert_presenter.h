// Shows alerts. The front end installs one that opens a real dialog; tests
// install a scripted one.
#pragma once

#include "platform/controls/modal_response.h"

namespace platform {

class Alert;

class AlertPresenter {
  public:
    virtual ~AlertPresenter() = default;

    // Shows `alert` and returns once the user pressed a button, with its
    // answer (kAlertFirstButtonReturn + index). Called with the run loop in
    // ModalPanel mode; the presenter keeps the loop running meanwhile.
    virtual ModalResponse present(const Alert& alert) = 0;

    // Application::abortModal was called while present() runs: close the
    // dialog and return soon. runModal answers kModalResponseAbort whatever
    // present() returns then.
    virtual void abort() {}
};

}  // namespace platform
