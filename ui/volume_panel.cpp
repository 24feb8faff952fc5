#include "ui/volume_panel.h"

#include <algorithm>
#include <limits>

#include "model/library_status.h"
#include "model/model_clock.h"
#include "model/time_left_text.h"
#include "platform/controls/bundle.h"
#include "platform/controls/byte_count_formatter.h"
#include "platform/controls/image.h"
#include "platform/controls/menu.h"
#include "ui/disk_identity.h"
#include "ui/health_icon.h"
#include "ui/localized.h"
#include "ui/volume_title.h"

namespace {

std::string capacityText(std::uint64_t bytes) {
    const auto clamped = static_cast<std::int64_t>(
        std::min<std::uint64_t>(bytes, std::numeric_limits<std::int64_t>::max()));
    return platform::ByteCountFormatter::stringFromByteCount(clamped, platform::CountStyle::File);
}

}  // namespace

std::shared_ptr<VolumePanel> VolumePanel::create(const MainInterface& ui,
                                                 const DeviceList& devices) {
    auto panel = std::make_shared<VolumePanel>(Private{}, ui, devices);
    if (panel->picker_) {
        panel->picker_->setTarget(panel->weak_from_this());
        panel->picker_->setAction(changeVolumeAction());
    }
    return panel;
}

VolumePanel::VolumePanel(Private, const MainInterface& ui, const DeviceList& devices)
    : devices_(devices),
      picker_(ui.picker),
      type_(ui.type),
      capacity_(ui.capacity),
      status_(ui.status),
      disks_(ui.disks),
      disksLabel_(ui.disksLabel),
      rebuildButton_(ui.rebuildButton),
      statusImage_(ui.statusImage) {}

platform::Selector VolumePanel::changeVolumeAction() {
    return platform::makeSelector<VolumePanel>("changeVolume:", &VolumePanel::changeVolume);
}

VolumePanel::Listed VolumePanel::showCurrentController() {
    const auto& controller = devices_.fController();
    Listed listed;
    if (picker_) {
        picker_->removeAllItems();
        picker_->setEnabled(controller != nullptr);
    }
    if (controller) {
        controller->scanForDisks();
        controller->scanForRAIDSets();

        auto menu = platform::Menu::create("Volumes");
        menu->setAutoenablesItems(false);
        for (const auto& set : controller->raidSets()) {
            if (!set) {
                continue;
            }
            auto item = platform::MenuItem::create(volumeTitle(*set), changeVolumeAction(), "");
            item->setTarget(weak_from_this());
            item->setRepresentedObject(set);
            menu->addItem(item);
            listed.mirror = listed.mirror || set->mode() == MV_LD_MODE_RAID1;
        }
        const auto disks = controller->disks();
        for (const auto& disk : disks) {
            if (!disk || disk->status() == MV_HD_STATUS_ASSIGNED) {
                continue;
            }
            auto item = platform::MenuItem::create(disk->name(), changeVolumeAction(), "");
            item->setTarget(weak_from_this());
            item->setRepresentedObject(disk);
            menu->addItem(item);
        }
        if (picker_) {
            picker_->setMenu(menu);
        }
        listed.hasDisks = !disks.empty();
    }
    setStatusIcon();
    updateInfo();
    return listed;
}

platform::ObjectPtr VolumePanel::selectedObject() const {
    auto entry = picker_ ? picker_->selectedItem() : nullptr;
    return entry ? entry->representedObject() : nullptr;
}

void VolumePanel::updateInfo() {
    std::string typeText;
    std::string capacityString;
    std::string statusText;
    std::string statusToolTip;
    std::string typeToolTip;
    bool hideExtras = true;

    const auto object = selectedObject();
    if (auto set = std::dynamic_pointer_cast<MarvellRAIDSet>(object)) {
        typeText = set->modeString();
        capacityString = capacityText(set->capacity());
        statusText = set->statusString();
        if (rebuildButton_) {
            rebuildButton_->setTitle(localized("REBUILD"));
        }
        if (set->status() == library_status::kSetRebuilding) {
            const int progress = set->rebuildProgress();
            statusText += platform::formatString(" (%d%%)", {progress});
            statusToolTip = rebuildToolTip(*set, progress);
            if (rebuildButton_) {
                rebuildButton_->setTitle(localized("CANCEL"));
                rebuildButton_->setEnabled(true);
            }
        } else if (rebuildButton_) {
            rebuildButton_->setEnabled(set->status() == library_status::kSetDegraded);
        }

        const auto& controller = devices_.fController();
        std::string members;
        for (int id : set->disks()) {
            auto disk =
                controller ? controller->findDiskByHDID(static_cast<std::uint16_t>(id)) : nullptr;
            if (disk) {
                members += platform::formatString(members.empty() ? "%d" : ", %d", {disk->slot()});
            }
        }
        if (disks_) {
            disks_->setStringValue(members);
            disks_->setToolTip(memberIdentities(*set, controller.get()));
        }
        hideExtras = false;
    } else if (auto disk = std::dynamic_pointer_cast<MarvellDisk>(object)) {
        typeText = localized("INDIVIDUAL_DISK");
        capacityString = capacityText(disk->capacity());
        statusText = disk->statusString();
        typeToolTip = diskIdentity(*disk);
    }

    if (rebuildButton_) {
        rebuildButton_->setHidden(hideExtras);
    }
    if (disksLabel_) {
        disksLabel_->setHidden(hideExtras);
    }
    if (disks_) {
        disks_->setHidden(hideExtras);
    }
    if (type_) {
        type_->setStringValue(typeText);
        type_->setToolTip(typeToolTip);
    }
    if (capacity_) {
        capacity_->setStringValue(capacityString);
    }
    if (status_) {
        status_->setStringValue(statusText);
        status_->setToolTip(statusToolTip);
    }
}

std::string VolumePanel::rebuildToolTip(const MarvellRAIDSet& set, int progress) {
    if (set.vdid() != rebuildEstimateVolume_) {
        rebuildEstimate_.reset();
        rebuildEstimateVolume_ = set.vdid();
    }
    const platform::TimePoint now = modelClock().now();
    rebuildEstimate_.addReading(now, progress);
    const auto left = rebuildEstimate_.secondsRemaining(now);
    return left ? localizedFormat("REBUILD_TIME_LEFT_TOOLTIP", {timeLeftText(*left)})
                : localized("REBUILD_TIME_LEFT_UNKNOWN_TOOLTIP");
}

void VolumePanel::changeVolume(platform::Object*) {
    updateInfo();
}

void VolumePanel::setStatusIcon() {
    std::vector<int> statuses;
    const auto& controller = devices_.fController();
    if (controller) {
        for (const auto& set : controller->raidSets()) {
            if (set) {
                statuses.push_back(set->status());
            }
        }
    }
    const HealthVerdict verdict = healthVerdict(controller != nullptr, statuses);
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
