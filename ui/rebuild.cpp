#include <algorithm>
#include <exception>

#include "app/app_delegate.h"
#include "platform/controls/menu_item.h"
#include "platform/controls/modal_response.h"
#include "platform/controls/pop_up_button.h"
#include "ui/localized.h"
#include "ui/warning_alert.h"

namespace {

// What the error alert shows when the library raised while the disk was freed.
constexpr MV_U8 kRaisedStatus = 255;

// The display name of a disk by its device ID, as the disk object forms it;
// used for a surviving member that the controller no longer lists.
std::string diskName(int hdid) {
    return localized(platform::formatString("DISK_%d", {hdid}));
}

}  // namespace

void AppDelegate::doRebuild(platform::Object* sender) {
    auto entry = picker_ ? picker_->selectedItem() : nullptr;
    auto set =
        std::dynamic_pointer_cast<MarvellRAIDSet>(entry ? entry->representedObject() : nullptr);
    if (!set) {
        return;
    }

    if (set->status() == MarvellRAIDSet::kStatusRebuilding) {
        // The cancel's result is not looked at; a raise counts the same as a failure.
        try {
            set->cancelRebuild();
        } catch (const std::exception&) {
        }
        queueUpdateEvent(0);
        return;
    }

    const std::vector<int> members = set->disks();
    // Without a known member there is no survivor to copy from, and every
    // disk would look like a free one: the survivor itself could be wiped.
    if (members.empty() || !fController_) {
        return;
    }
    std::shared_ptr<MarvellDisk> replacement;
    for (const auto& disk : fController_->disks()) {
        if (disk && std::find(members.begin(), members.end(), disk->hdid()) == members.end()) {
            replacement = disk;
            break;
        }
    }
    if (!replacement) {
        return;
    }
    auto survivor = fController_->findDiskByHDID(static_cast<std::uint16_t>(members.front()));
    const std::string survivorName = survivor ? survivor->name() : diskName(members.front());

    const std::string replacementName = replacement->name();
    if (runWarningAlert({"CANCEL", "CONTINUE"}, localized("WARNING1_REBUILD_TITLE"),
                        localizedFormat("WARNING1_REBUILD_BODY",
                                        {survivorName, replacementName, replacementName})) ==
            platform::kAlertSecondButtonReturn &&
        runWarningAlert({"CANCEL", "OK"},
                        localizedFormat("WARNING2_REBUILD_TITLE", {replacementName}),
                        localized("WARNING2_REBUILD_BODY")) == platform::kAlertSecondButtonReturn) {
        doRebuildRAID(set, replacement);
    }
    doCancel(sender);
}

void AppDelegate::doRebuildRAID(const std::shared_ptr<MarvellRAIDSet>& set,
                                const std::shared_ptr<MarvellDisk>& disk) {
    if (!set || !disk) {
        return;
    }
    const auto hdid = static_cast<MV_U16>(disk->hdid());

    MV_U8 status = 0;
    try {
        if (fController_) {
            fController_->freeDiskForRebuild(hdid, set->vdid());
        }
        status = set->rebuild(hdid);
    } catch (const std::exception&) {
        // A volume that could not be deleted may still hold the disk: do not
        // start the rebuild over it, say so, and show what is left.
        status = kRaisedStatus;
    }

    if (status != 0) {
        runWarningAlert({"OK"}, localized("ERROR_REBUILD_TITLE"),
                        localizedFormat("ERROR_REBUILD_BODY", {status}));
    }
    queueUpdateEvent(0);
}
