// The volume panel: the current controller's volumes and unassigned disks in
// `picker`, the selected entry's type, capacity, status and member slots, the
// rebuild button's title and state, and the health icon, which shows the one
// verdict on a fresh reading of the current controller.
#pragma once

#include <memory>
#include <string>

#include "model/enclosure_reading.h"
#include "model/health_verdict.h"
#include "model/marvell_raid_set.h"
#include "model/rebuild_estimate.h"
#include "platform/core/object.h"
#include "ui/device_list.h"
#include "ui/main_interface.h"

class VolumePanel : public platform::Object {
    struct Private {};

  public:
    // Shows what `devices` holds as the current controller.
    static std::shared_ptr<VolumePanel> create(const MainInterface& ui, const DeviceList& devices);
    VolumePanel(Private, const MainInterface& ui, const DeviceList& devices);

    struct Listed {
        bool mirror = false;       // a RAID 1 set is listed: the refresh timer should run
        bool hasDisks = false;     // the controller has disks to configure
        bool walksFailed = false;  // a list could not be read whole
    };
    // Walks the current controller's disks and sets, reads them and lists
    // them (nothing without a controller). The icon and the texts are the
    // caller's next steps.
    Listed showCurrentController();
    // Reads the listed sets and disks afresh, for the health icon.
    void readCurrentController();
    // Whether the last walks of the current controller stopped short.
    bool walksFailed() const { return walks_.disks != 0 || walks_.raidSets != 0; }

    // The selected entry's texts.
    void updateInfo();
    // Shows the verdict on the last reading of the current controller; the verdict.
    ControllerVerdict setStatusIcon();
    // The user picked another entry.
    void changeVolume(platform::Object* sender);
    static platform::Selector changeVolumeAction();

    // The selected entry's set or disk (null when none).
    platform::ObjectPtr selectedObject() const;

  private:
    // A listed disk's status as the last reading saw it.
    std::optional<int> readStatusOf(const MarvellDisk& disk) const;
    // The status field's tooltip for a rebuild at `progress` percent: the
    // time left, once the rate is steady.
    std::string rebuildToolTip(const MarvellRAIDSet& set, int progress);

    const DeviceList& devices_;
    // What the last walks of the current controller returned, and its last reading.
    WalkStatuses walks_;
    ControllerReading reading_;
    // The rebuild the tooltip estimates, from the progress each updateInfo sees.
    RebuildEstimate rebuildEstimate_;
    int rebuildEstimateVolume_ = -1;
    std::shared_ptr<platform::PopUpButton> picker_;
    std::shared_ptr<platform::TextField> type_;
    std::shared_ptr<platform::TextField> capacity_;
    std::shared_ptr<platform::TextField> status_;
    std::shared_ptr<platform::TextField> disks_;
    std::shared_ptr<platform::TextField> disksLabel_;
    std::shared_ptr<platform::Button> rebuildButton_;
    std::shared_ptr<platform::ImageView> statusImage_;
};
