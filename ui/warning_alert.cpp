#include "ui/warning_alert.h"

#include "platform/controls/alert.h"
#include "platform/controls/application.h"
#include "ui/localized.h"

namespace {

platform::ModalResponse runAlert(platform::AlertStyle style,
                                 std::initializer_list<const char*> buttonKeys,
                                 const std::string& messageText,
                                 const std::string& informativeText) {
    auto alert = platform::Alert::create();
    for (const char* key : buttonKeys) {
        alert->addButtonWithTitle(localized(key));
    }
    alert->setMessageText(messageText);
    alert->setInformativeText(informativeText);
    alert->setAlertStyle(style);
    platform::Application::sharedApplication().activateIgnoringOtherApps(true);
    return alert->runModal();
}

}  // namespace

platform::ModalResponse runWarningAlert(std::initializer_list<const char*> buttonKeys,
                                        const std::string& messageText,
                                        const std::string& informativeText) {
    return runAlert(platform::AlertStyle::Warning, buttonKeys, messageText, informativeText);
}

platform::ModalResponse runInformationalAlert(std::initializer_list<const char*> buttonKeys,
                                              const std::string& messageText,
                                              const std::string& informativeText) {
    return runAlert(platform::AlertStyle::Informational, buttonKeys, messageText, informativeText);
}

bool confirmChange(const ChangeWarnings& warnings) {
    for (const ChangeWarning& warning : warnings) {
        if (runWarningAlert({"CANCEL", warning.goOnButton}, warning.message.text(),
                            warning.information.text()) != platform::kAlertSecondButtonReturn) {
            return false;
        }
    }
    return true;
}

void showRefusal(const ChangeRefusal& refusal) {
    runWarningAlert({"OK"}, refusal.message.text(), refusal.information.text());
}
