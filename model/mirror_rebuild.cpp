#include "model/mirror_rebuild.h"

#include <algorithm>
#include <exception>

namespace {

// A disk's display name by its device ID, as the disk object forms it; for a
// survivor that the controller no longer lists.
std::string diskName(int hdid) {
    return LocalizedText("DISK_" + std::to_string(hdid)).text();
}

// The enclosure's slots, when the controller does not say how many it has.
constexpr int kEnclosureSlots = 2;

// The first slot of the controller that holds no disk.
std::optional<int> emptySlot(const MarvellController& controller) {
    const int ports = controller.config().PortCount;
    const int slots = ports > 0 ? ports : kEnclosureSlots;
    const auto disks = controller.disks();
    for (int slot = 0; slot < slots; ++slot) {
        if (std::none_of(disks.begin(), disks.end(),
                         [&](const auto& disk) { return disk && disk->slot() == slot; })) {
            return slot;
        }
    }
    return std::nullopt;
}

ChangeRefusal noReplacement(const MarvellController& controller) {
    const auto slot = emptySlot(controller);
    return {ChangeRefusal::Reason::NoReplacementDisk, "REFUSAL_NO_REPLACEMENT_TITLE",
            slot ? LocalizedText("REFUSAL_INSERT_BLANK_DISK_BODY", {*slot})
                 : LocalizedText("REFUSAL_REPLACE_FAILED_DISK_BODY")};
}

}  // namespace

Planned<MirrorRebuild> MirrorRebuild::plan(std::shared_ptr<MarvellController> controller,
                                           std::shared_ptr<MarvellRAIDSet> set) {
    const std::vector<int> members = set ? set->disks() : std::vector<int>();
    if (members.empty() || !controller) {
        return ChangeRefusal{ChangeRefusal::Reason::NoKnownMember, "REFUSAL_NO_MEMBER_TITLE",
                             "REFUSAL_NO_MEMBER_BODY"};
    }
    MirrorRebuild rebuild;
    for (const auto& disk : controller->disks()) {
        if (disk && std::find(members.begin(), members.end(), disk->hdid()) == members.end()) {
            rebuild.replacement_ = disk;
            break;
        }
    }
    if (!rebuild.replacement_) {
        return noReplacement(*controller);
    }
    rebuild.survivorHDID_ = members.front();
    rebuild.survivor_ = controller->findDiskByHDID(static_cast<std::uint16_t>(members.front()));
    rebuild.controller_ = std::move(controller);
    rebuild.set_ = std::move(set);
    return rebuild;
}

ChangeWarnings MirrorRebuild::warnings() const {
    const std::string survivorName = survivor_ ? survivor_->name() : diskName(survivorHDID_);
    const std::string replacementName = replacement_->name();
    return {
        {"WARNING1_REBUILD_TITLE",
         {"WARNING1_REBUILD_BODY", {survivorName, replacementName, replacementName}},
         "CONTINUE"},
        {{"WARNING2_REBUILD_TITLE", {replacementName}}, "WARNING2_REBUILD_BODY", "OK"},
    };
}

MV_U8 MirrorRebuild::execute() const {
    const auto hdid = static_cast<std::uint16_t>(replacement_->hdid());
    try {
        controller_->freeDiskForRebuild(hdid, set_->vdid());
        return set_->rebuild(hdid);
    } catch (const std::exception&) {
        // A volume that could not be deleted may still hold the disk.
        return library_status::kRaised;
    }
}

LocalizedText MirrorRebuild::failureInformation(MV_U8 status) {
    return {"ERROR_REBUILD_BODY", {status}};
}
