#include "cli/enclosure_reading.h"

#include "model/marvell_controller.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

namespace cli {

std::string VolumeReading::displayName() const {
    if (name) {
        return *name;
    }
    return platform::formatString(
        platform::Bundle::mainBundle().localizedString("VOLUME_NAME_UNREADABLE"), {id});
}

namespace {

DiskReading readDisk(const MarvellDisk& disk) {
    DiskReading r;
    r.hdid = disk.hdid();
    r.slot = disk.slot();
    r.model = disk.modelNumber();
    r.serial = disk.serialNumber();
    r.capacityBytes = disk.capacity();
    r.status = disk.status();
    r.statusText = MarvellDisk::statusText(r.status);
    return r;
}

VolumeReading readVolume(const MarvellRAIDSet& set, const MarvellController& controller) {
    VolumeReading r;
    r.id = set.vdid();
    r.name = set.name();
    r.mode = set.mode();
    r.modeText = MarvellRAIDSet::modeText(r.mode);
    r.status = set.status();
    r.statusText = MarvellRAIDSet::statusText(r.status);
    if (r.status == MarvellRAIDSet::kStatusRebuilding) {
        r.progressPercent = set.rebuildProgress();
    }
    r.capacityBytes = set.capacity();
    for (const int hdid : set.disks()) {
        if (auto disk = controller.findDiskByHDID(static_cast<std::uint16_t>(hdid))) {
            r.memberSlots.push_back(disk->slot());
        }
    }
    return r;
}

}  // namespace

EnclosureReading readEnclosure() {
    EnclosureReading reading;
    for (const auto& controller : MarvellController::scanForControllers()) {
        ControllerReading c;
        c.adapter = controller->cid();
        // As the window does: a failed walk leaves fewer objects, nothing more.
        controller->scanForDisks();
        controller->scanForRAIDSets();
        for (const auto& set : controller->raidSets()) {
            c.volumes.push_back(readVolume(*set, *controller));
        }
        for (const auto& disk : controller->disks()) {
            c.disks.push_back(readDisk(*disk));
        }
        controller->invalidate();
        reading.controllers.push_back(std::move(c));
    }
    return reading;
}

}  // namespace cli
