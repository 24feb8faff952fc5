#include "ui/rebuild_flow.h"

#include "model/rebuild_cancellation.h"
#include "ui/localized.h"
#include "ui/warning_alert.h"

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
    // One press cancels a running rebuild, without a question; the result
    // is not looked at, the refresh shows what the controller then says.
    if (const auto cancellation = RebuildCancellation::plan(set)) {
        cancellation->execute();
        hooks_.refresh();
        return;
    }
    // Nothing to rebuild onto: the press does nothing.
    const auto rebuild = MirrorRebuild::plan(devices_.fController(), set);
    if (!rebuild) {
        return;
    }
    if (confirmChange(rebuild->warnings())) {
        doRebuildRAID(*rebuild);
    }
    hooks_.closeSheet();
}

void RebuildFlow::doRebuildRAID(const MirrorRebuild& rebuild) {
    const MV_U8 status = rebuild.execute();
    if (status != library_status::kSuccess) {
        runWarningAlert({"OK"}, localized("ERROR_REBUILD_TITLE"),
                        MirrorRebuild::failureInformation(status).text());
    }
    hooks_.refresh();
}
