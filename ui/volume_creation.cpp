// The sheet's "Configure Now": two warnings, then the change of layout.
#include "model/library_status.h"
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
    const int layout = selectedLayout();
    const auto& controller = devices_.fController();
    const std::size_t diskCount = controller ? controller->disks().size() : 0;
    if (layout != kLayoutIndividualDisks && diskCount < 2) {
        runWarningAlert({"OK"}, localized("ERROR_NEEDTWODISKS_TITLE"),
                        localized("ERROR_NEEDTWODISKS_BODY"));
        return;  // the sheet stays open for another choice
    }

    // Individual disks only delete the volumes; the RAID layouts also erase the disks.
    const bool individual = layout == kLayoutIndividualDisks;
    if (runWarningAlert({"CANCEL", "CONTINUE"}, localized("WARNING1_TITLE"),
                        localized(individual ? "WARNING1_INDIVIDUAL_BODY" : "WARNING1_BODY")) ==
            platform::kAlertSecondButtonReturn &&
        runWarningAlert({"CANCEL", "OK"}, localized("WARNING2_TITLE"),
                        localized(individual ? "WARNING2_INDIVIDUAL_BODY" : "WARNING2_BODY")) ==
            platform::kAlertSecondButtonReturn) {
        // Read after the warnings: that is what the user confirmed.
        std::string volumeName = name_ ? name_->stringValue() : std::string();
        if (volumeName.empty()) {
            volumeName = localized("DEFAULTNAME");
        }
        doCreateRAID(volumeName, selectedLayout());
    }
    doCancel(sender);
}

void ConfigurationSheet::doCreateRAID(const std::string& volumeName, std::int64_t type) {
    // Reported when there is no controller to configure: nothing was done,
    // and that must not read as success.
    MV_U8 status = library_status::kRaised;
    if (const auto& controller = devices_.fController()) {
        // The change blocks the window for seconds: show it busy, drawn
        // without the alert that just closed.
        const platform::Application::BusyScope busy;
        status = type == kLayoutIndividualDisks ? controller->deleteVD()
                                                : controller->createVD(volumeName, type);
    }

    if (status != library_status::kSuccess) {
        runWarningAlert({"OK"}, localized("ERROR_SETCONFIG_TITLE"),
                        localizedFormat("ERROR_SETCONFIG_BODY", {status}));
    } else if (runInformationalAlert(
                   {"DONE", "DISKUTILITY"}, localized("SUCCESS_TITLE"),
                   localized(type == kLayoutIndividualDisks ? "SUCCESS_INDIVIDUAL_BODY"
                                                            : "SUCCESS_BODY")) ==
                   platform::kAlertSecondButtonReturn &&
               launchApplication) {
        alertUnlessLaunched(launchApplication(kDiskUtility));
    }
    if (configured_) {
        configured_();
    }
}
