// The sheet's "Configure Now": two warnings, then the change of layout.
#include <optional>

#include "model/volume_configuration.h"
#include "platform/controls/application.h"
#include "platform/controls/modal_response.h"
#include "ui/configuration_sheet.h"
#include "ui/disk_tool_alert.h"
#include "ui/localized.h"
#include "ui/warning_alert.h"

namespace {
// What the success alert offers to open: the desktop's disk tool.
constexpr const char* kDiskUtility = "Disk Utility";
}  // namespace

void ConfigurationSheet::doConfigure(platform::Object* sender) {
    const auto planned =
        VolumeConfiguration::plan(devices_.fController(), selectedLayout(), std::string());
    if (!planned) {
        showRefusal(planned.refusal());
        return;  // the sheet stays open for another choice
    }
    if (confirmChange(planned->warnings())) {
        // Read after the warnings: that is what the user confirmed.
        doCreateRAID(name_ ? name_->stringValue() : std::string(), selectedLayout());
    }
    doCancel(sender);
}

void ConfigurationSheet::doCreateRAID(const std::string& volumeName, std::int64_t type) {
    const auto configuration = VolumeConfiguration::asConfirmed(devices_.fController(),
                                                                static_cast<int>(type), volumeName);
    MV_U8 status = library_status::kRaised;
    {
        // The change blocks the window for seconds: show it busy, drawn
        // without the alert that just closed.
        std::optional<platform::Application::BusyScope> busy;
        if (configuration.controller()) {
            busy.emplace();
        }
        status = configuration.execute();
    }

    if (status != library_status::kSuccess) {
        runWarningAlert({"OK"}, localized("ERROR_SETCONFIG_TITLE"),
                        VolumeConfiguration::failureInformation(status).text());
    } else if (runInformationalAlert({"DONE", "DISKUTILITY"}, localized("SUCCESS_TITLE"),
                                     configuration.successInformation().text()) ==
                   platform::kAlertSecondButtonReturn &&
               launchApplication) {
        alertUnlessLaunched(launchApplication(kDiskUtility));
    }
    if (configured_) {
        configured_();
    }
}
