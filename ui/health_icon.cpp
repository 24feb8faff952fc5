#include "ui/health_icon.h"

#include "app/app_delegate.h"
#include "model/library_status.h"
#include "platform/controls/bundle.h"
#include "platform/controls/image.h"
#include "platform/controls/image_view.h"
#include "ui/localized.h"

HealthVerdict healthVerdict(bool hasController, const std::vector<int>& setStatuses) {
    if (!hasController) {
        return HealthVerdict::NoEnclosure;
    }
    namespace status = library_status;
    HealthVerdict verdict = HealthVerdict::Healthy;
    for (int s : setStatuses) {
        switch (s) {
            case status::kSetFailed:
            case status::kSetOffline:
            case status::kSetFailedToo:
                verdict = HealthVerdict::Failed;
                break;
            case status::kSetDegraded:
                verdict = HealthVerdict::Degraded;
                break;
            case status::kSetUnreadable:
                // A set that cannot be read is no reason to show all is well.
                verdict = HealthVerdict::NotAnswering;
                break;
            default:  // functional, rebuilding and the rest: no verdict
                break;
        }
    }
    return verdict;
}

std::string healthIconName(HealthVerdict verdict) {
    switch (verdict) {
        case HealthVerdict::Healthy:
            return kIconOk;
        case HealthVerdict::Degraded:
        case HealthVerdict::NotAnswering:
            return kIconWarning;
        case HealthVerdict::Failed:
        case HealthVerdict::NoEnclosure:
            break;
    }
    return kIconWrong;
}

std::string healthDescriptionKey(HealthVerdict verdict) {
    switch (verdict) {
        case HealthVerdict::Healthy:
            return "HEALTH_OK";
        case HealthVerdict::Degraded:
            return "HEALTH_DEGRADED";
        case HealthVerdict::Failed:
            return "HEALTH_FAILED";
        case HealthVerdict::NotAnswering:
            return "HEALTH_NOT_ANSWERING";
        case HealthVerdict::NoEnclosure:
            break;
    }
    return "HEALTH_NO_ENCLOSURE";
}

void AppDelegate::setStatusIcon() {
    std::vector<int> statuses;
    if (fController_) {
        for (const auto& set : fController_->raidSets()) {
            if (set) {
                statuses.push_back(set->status());
            }
        }
    }
    const HealthVerdict verdict = healthVerdict(fController_ != nullptr, statuses);
    const std::string icon = healthIconName(verdict);

    const auto& bundle = platform::Bundle::mainBundle();
    // A missing icon file still gives an (empty) image naming what was wanted,
    // so the view shows nothing rather than a stale verdict.
    const auto path =
        bundle.pathForResource(icon, "png").value_or(bundle.resourcePath() / (icon + ".png"));
    if (statusImage_) {
        statusImage_->setImage(platform::Image::initWithContentsOfFile(path));
        statusImage_->setToolTip(localized(healthDescriptionKey(verdict)));
    }
}
