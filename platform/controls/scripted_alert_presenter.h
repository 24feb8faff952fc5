// An alert presenter for tests: records every alert shown and answers from a
// script. A scripted answer may run work "while the alert is open" (the run
// loop is then in ModalPanel mode), e.g. advance a VirtualTimeDriver.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/alert.h"
#include "platform/controls/alert_presenter.h"
#include "platform/runloop/run_loop.h"

namespace platform {

struct ShownAlert {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;
    AlertStyle style = AlertStyle::Warning;
    Mode mode = Mode::Default;  // the run loop's mode while it was shown
};

class ScriptedAlertPresenter : public AlertPresenter {
  public:
    using Responder = std::function<ModalResponse(const Alert&)>;

    // Queue the answer of the next alert.
    void answer(ModalResponse response);
    // Presses the button with this title; kModalResponseAbort when the
    // alert has no such button.
    void pressButtonTitled(std::string title);
    void answerWith(Responder responder);

    // An alert with no scripted answer left answers kModalResponseAbort.
    ModalResponse present(const Alert& alert) override;
    void abort() override { ++aborts_; }

    const std::vector<ShownAlert>& shown() const { return shown_; }
    std::size_t pendingAnswers() const { return script_.size(); }
    std::size_t abortCount() const { return aborts_; }

  private:
    std::deque<Responder> script_;
    std::vector<ShownAlert> shown_;
    std::size_t aborts_ = 0;
};

}  // namespace platform
