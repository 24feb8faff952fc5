#include "ui/rebuild_flow.h"

#include <algorithm>
#include <exception>

#include "model/library_status.h"
#include "platform/controls/modal_response.h"
#include "ui/localized.h"
#include "ui/warning_alert.h"

namespace {

// The display name of a disk by its device ID, as the disk object forms it;
// used for a surviving member that the controller no longer lists.
std::string diskName(int hdid) {
    return localized(platform::formatString("DISK_%d", {hdid}));
}

}  // namespace

std::shared_ptr<RebuildFlow> RebuildFlow::create(const MainInterface& ui,
                                                 const DeviceList& devices,
                                                 const VolumePanel& volumes,
                                                 Hooks hooks) {
    auto flow = std::make_shared<RebuildFlow>(Private{}, devices, volumes, std::move(hooks));
    if (ui.rebuildButton) {
        ui.rebuildButton->setTarget(flow->weak_from_this());
        ui.rebuildButton->setAction(doRebuildAction());
    }
    return flow;
}

RebuildFlow::RebuildFlow(Private,
                         const DeviceList& devices,
                         const VolumePanel& volumes,
                         Hooks hooks)
    : devices_(devices), volumes_(volumes), hooks_(std::move(hooks)) {}

platform::Selector RebuildFlow::doRebuildAction() {
    return platform::makeSelector<RebuildFlow>("doRebuild:", &RebuildFlow::doRebuild);
}

void RebuildFlow::doRebuild(platform::Object*) {
    auto set = std::dynamic_pointer_cast<MarvellRAIDSet>(volumes_.selectedObject());
    if (!set) {
        return;
    }

    if (set->status() == library_status::kSetRebuilding) {
        // The cancel's result is not looked at; a raise counts the same as a failure.
        try {
            set->cancelRebuild();
        } catch (const std::exception&) {
        }
        hooks_.refresh();
        return;
    }

    const auto& controller = devices_.fController();
    const std::vector<int> members = set->disks();
    // Without a known member there is no survivor to copy from, and every
    // disk would look like a free one: the survivor itself could be wiped.
    if (members.empty() || !controller) {
        return;
    }
    std::shared_ptr<MarvellDisk> replacement;
    for (const auto& disk : controller->disks()) {
        if (disk && std::find(members.begin(), members.end(), disk->hdid()) == members.end()) {
            replacement = disk;
            break;
        }
    }
    if (!replacement) {
        return;
    }
    auto survivor = controller->findDiskByHDID(static_cast<std::uint16_t>(members.front()));
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
    hooks_.closeSheet();
}

void RebuildFlow::doRebuildRAID(const std::shared_ptr<MarvellRAIDSet>& set,
                                const std::shared_ptr<MarvellDisk>& disk) {
    if (!set || !disk) {
        return;
    }
    const auto hdid = static_cast<std::uint16_t>(disk->hdid());

    MV_U8 status = library_status::kSuccess;
    try {
        if (const auto& controller = devices_.fController()) {
            controller->freeDiskForRebuild(hdid, set->vdid());
        }
        status = set->rebuild(hdid);
    } catch (const std::exception&) {
        // A volume that could not be deleted may still hold the disk: do not
        // start the rebuild over it, say so, and show what is left.
        status = library_status::kRaised;
    }

    if (status != library_status::kSuccess) {
        runWarningAlert({"OK"}, localized("ERROR_REBUILD_TITLE"),
                        localizedFormat("ERROR_REBUILD_BODY", {status}));
    }
    hooks_.refresh();
}
