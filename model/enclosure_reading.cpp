#include "model/enclosure_reading.h"

#include "model/marvell_controller.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

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
    r.status = disk.readStatus();
    r.statusText = MarvellDisk::statusText(r.status);
    return r;
}

VolumeReading readVolume(const MarvellRAIDSet& set, const MarvellController& controller) {
    VolumeReading r;
    r.id = set.vdid();
    r.name = set.name();
    r.mode = set.mode();
    r.modeText = MarvellRAIDSet::modeText(r.mode);
    if (const auto state = set.readState()) {
        r.status = state->status;
        if (state->status == MarvellRAIDSet::kStatusRebuilding) {
            r.progressPercent = state->progress;
        }
    }
    r.statusText = MarvellRAIDSet::statusText(r.status);
    r.capacityBytes = set.capacity();
    const auto members = set.readDisks();
    r.membersRead = members.complete;
    for (const int hdid : members.ids) {
        if (auto disk = controller.findDiskByHDID(static_cast<std::uint16_t>(hdid))) {
            r.memberSlots.push_back(disk->slot());
        }
    }
    return r;
}

}  // namespace

WalkStatuses walkController(MarvellController& controller) {
    WalkStatuses walks;
    walks.disks = controller.scanForDisks();
    walks.raidSets = controller.scanForRAIDSets();
    return walks;
}

ControllerReading readController(const MarvellController& controller, WalkStatuses walks) {
    ControllerReading c;
    c.adapter = controller.cid();
    c.volumesRead = walks.raidSets == 0;
    c.disksRead = walks.disks == 0;
    for (const auto& set : controller.raidSets()) {
        if (set) {
            c.volumes.push_back(readVolume(*set, controller));
        }
    }
    for (const auto& disk : controller.disks()) {
        if (disk) {
            c.disks.push_back(readDisk(*disk));
        }
    }
    return c;
}

EnclosureReading readEnclosure() {
    EnclosureReading reading;
    auto scan = MarvellController::enumerateControllers();
    reading.controllersRead = scan.complete;
    for (const auto& controller : scan.controllers) {
        const WalkStatuses walks = walkController(*controller);
        reading.controllers.push_back(readController(*controller, walks));
        controller->invalidate();
    }
    return reading;
}
