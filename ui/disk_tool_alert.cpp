#include "ui/disk_tool_alert.h"

#include <cstring>

#include "ui/localized.h"
#include "ui/warning_alert.h"

void alertUnlessLaunched(const platform::LaunchOutcome& outcome) {
    switch (outcome.status) {
        case platform::LaunchOutcome::Status::Launched:
            return;
        case platform::LaunchOutcome::Status::NotInstalled:
            // Nothing went wrong: the desktop just has no such tool.
            runInformationalAlert({"OK"}, localized("DISKTOOL_MISSING_TITLE"),
                                  localized("DISKTOOL_MISSING_BODY"));
            return;
        case platform::LaunchOutcome::Status::Failed:
            runWarningAlert({"OK"}, localized("DISKTOOL_FAILED_TITLE"),
                            localizedFormat("DISKTOOL_FAILED_BODY",
                                            {outcome.program.string(),
                                             outcome.error != 0 ? std::strerror(outcome.error)
                                                                : outcome.message}));
            return;
    }
}
