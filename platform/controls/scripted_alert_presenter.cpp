#include "platform/controls/scripted_alert_presenter.h"

#include <utility>

namespace platform {

void ScriptedAlertPresenter::answer(ModalResponse response) {
    script_.push_back([response](const Alert&) { return response; });
}

void ScriptedAlertPresenter::pressButtonTitled(std::string title) {
    script_.push_back([title = std::move(title)](const Alert& alert) {
        const auto& buttons = alert.buttonTitles();
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i] == title) {
                return kAlertFirstButtonReturn + static_cast<ModalResponse>(i);
            }
        }
        return kModalResponseAbort;
    });
}

void ScriptedAlertPresenter::answerWith(Responder responder) {
    script_.push_back(std::move(responder));
}

ModalResponse ScriptedAlertPresenter::present(const Alert& alert) {
    const RunLoop* loop = RunLoop::current();
    shown_.push_back(ShownAlert{alert.messageText(), alert.informativeText(), alert.buttonTitles(),
                                alert.alertStyle(), loop ? loop->currentMode() : Mode::Default});
    if (script_.empty()) {
        return kModalResponseAbort;
    }
    auto responder = std::move(script_.front());
    script_.pop_front();
    return responder ? responder(alert) : kModalResponseAbort;
}

}  // namespace platform
