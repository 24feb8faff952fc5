#include <algorithm>
#include <limits>

#include "app/app_delegate.h"
#include "model/model_clock.h"
#include "model/time_left_text.h"
#include "platform/controls/button.h"
#include "platform/controls/byte_count_formatter.h"
#include "platform/controls/menu.h"
#include "platform/controls/pop_up_button.h"
#include "platform/controls/text_field.h"
#include "ui/localized.h"
#include "ui/volume_title.h"

namespace {

constexpr int kDiskStatusAssigned = MV_HD_STATUS_ASSIGNED;

std::string capacityText(std::uint64_t bytes) {
    const auto clamped = static_cast<std::int64_t>(
        std::min<std::uint64_t>(bytes, std::numeric_limits<std::int64_t>::max()));
    return platform::ByteCountFormatter::stringFromByteCount(clamped, platform::CountStyle::File);
}

}  // namespace

void AppDelegate::updateDevice() {
    stopTimer();

    auto entry = devicePicker_ ? devicePicker_->selectedItem() : nullptr;
    if (!entry) {
        updateInfo();
        return;
    }
    fController_ = std::dynamic_pointer_cast<MarvellController>(entry->representedObject());

    if (picker_) {
        picker_->removeAllItems();
    }
    bool hasDisks = false;
    if (!fController_) {
        if (picker_) {
            picker_->setEnabled(false);
        }
    } else {
        if (picker_) {
            picker_->setEnabled(true);
        }
        fController_->scanForDisks();
        fController_->scanForRAIDSets();

        auto menu = platform::Menu::create("Volumes");
        menu->setAutoenablesItems(false);
        for (const auto& set : fController_->raidSets()) {
            if (!set) {
                continue;
            }
            auto item = platform::MenuItem::create(volumeTitle(*set), changeVolumeAction(), "");
            item->setTarget(weak_from_this());
            item->setRepresentedObject(set);
            menu->addItem(item);
            if (set->mode() == MV_LD_MODE_RAID1) {
                startTimer();
            }
        }
        const auto disks = fController_->disks();
        for (const auto& disk : disks) {
            if (!disk || disk->status() == kDiskStatusAssigned) {
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
        hasDisks = !disks.empty();
    }

    if (configButton_) {
        configButton_->setEnabled(hasDisks);
    }
    setStatusIcon();
    updateInfo();
}

std::string AppDelegate::rebuildToolTip(const MarvellRAIDSet& set, int progress) {
    if (set.vdid() != rebuildEstimateVolume_) {
        rebuildEstimate_.reset();
        rebuildEstimateVolume_ = set.vdid();
    }
    const platform::TimePoint now = modelClock().now();
    rebuildEstimate_.addReading(now, progress);
    const auto left = rebuildEstimate_.secondsRemaining(now);
    return left ? platform::formatString(localized("REBUILD_TIME_LEFT_TOOLTIP"),
                                         {timeLeftText(*left)})
                : localized("REBUILD_TIME_LEFT_UNKNOWN_TOOLTIP");
}

void AppDelegate::updateInfo() {
    std::string typeText;
    std::string capacityString;
    std::string statusText;
    std::string statusToolTip;
    bool hideExtras = true;

    auto entry = picker_ ? picker_->selectedItem() : nullptr;
    const auto object = entry ? entry->representedObject() : nullptr;
    if (auto set = std::dynamic_pointer_cast<MarvellRAIDSet>(object)) {
        typeText = set->modeString();
        capacityString = capacityText(set->capacity());
        statusText = set->statusString();
        if (rebuildButton_) {
            rebuildButton_->setTitle(localized("REBUILD"));
        }
        if (set->status() == MarvellRAIDSet::kStatusRebuilding) {
            const int progress = set->rebuildProgress();
            statusText += platform::formatString(" (%d%%)", {progress});
            statusToolTip = rebuildToolTip(*set, progress);
            if (rebuildButton_) {
                rebuildButton_->setTitle(localized("CANCEL"));
                rebuildButton_->setEnabled(true);
            }
        } else if (rebuildButton_) {
            rebuildButton_->setEnabled(set->status() == MV_LD_STATUS_DEGRADE);
        }

        std::string members;
        for (int id : set->disks()) {
            auto disk = fController_ ? fController_->findDiskByHDID(static_cast<std::uint16_t>(id))
                                     : nullptr;
            if (disk) {
                members += platform::formatString(members.empty() ? "%d" : ", %d", {disk->slot()});
            }
        }
        if (disks_) {
            disks_->setStringValue(members);
        }
        hideExtras = false;
    } else if (auto disk = std::dynamic_pointer_cast<MarvellDisk>(object)) {
        typeText = localized("INDIVIDUAL_DISK");
        capacityString = capacityText(disk->capacity());
        statusText = disk->statusString();
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
    }
    if (capacity_) {
        capacity_->setStringValue(capacityString);
    }
    if (status_) {
        status_->setStringValue(statusText);
        status_->setToolTip(statusToolTip);
    }
}

void AppDelegate::changeVolume(platform::Object*) {
    updateInfo();
}
