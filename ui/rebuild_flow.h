// The rebuild button's flow: cancel a running rebuild at once, or pick the
// replacement disk of a degraded mirror and, after two warnings, free it and
// start the rebuild onto it.
#pragma once

#include <functional>
#include <memory>

#include "model/mirror_rebuild.h"
#include "platform/core/object.h"
#include "ui/device_list.h"
#include "ui/main_interface.h"
#include "ui/volume_panel.h"

class RebuildFlow : public platform::Object {
    struct Private {};

  public:
    struct Hooks {
        std::function<void()> closeSheet;  // the flow ends with the sheet closed
        std::function<void()> refresh;     // after every change that was tried
    };
    static std::shared_ptr<RebuildFlow> create(const MainInterface& ui,
                                               const DeviceList& devices,
                                               const VolumePanel& volumes,
                                               Hooks hooks);
    RebuildFlow(Private, const DeviceList& devices, const VolumePanel& volumes, Hooks hooks);

    void doRebuild(platform::Object* sender);
    // Frees the replacement, starts the rebuild and reports a failure.
    void doRebuildRAID(const MirrorRebuild& rebuild);
    static platform::Selector doRebuildAction();

  private:
    const DeviceList& devices_;
    const VolumePanel& volumes_;
    Hooks hooks_;
};
