#include "ui/health_icon.h"

#include "app/app_delegate.h"
#include "platform/controls/bundle.h"
#include "platform/controls/image.h"
#include "platform/controls/image_view.h"

std::string healthIconName(bool hasController, const std::vector<int>& setStatuses) {
    if (!hasController) {
        return kIconWrong;
    }
    std::string icon = kIconOk;
    for (int status : setStatuses) {
        switch (status) {
            case 3:
            case MV_LD_STATUS_OFFLINE:
            case 11:
                icon = kIconWrong;
                break;
            case MV_LD_STATUS_DEGRADE:
                icon = kIconWarning;
                break;
            default:  // functional, rebuilding, unreadable (255) and the rest: no verdict
                break;
        }
    }
    return icon;
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
    const std::string icon = healthIconName(fController_ != nullptr, statuses);

    const auto& bundle = platform::Bundle::mainBundle();
    // A missing icon file still gives an (empty) image naming what was wanted,
    // so the view shows nothing rather than a stale verdict.
    const auto path =
        bundle.pathForResource(icon, "png").value_or(bundle.resourcePath() / (icon + ".png"));
    if (statusImage_) {
        statusImage_->setImage(platform::Image::initWithContentsOfFile(path));
    }
}
