#include "ui/main_interface.h"

#include "app/app_delegate.h"
#include "ui/localized.h"

// The texts come from the string table, in the session's language.
MainInterface MainInterface::build() {
    MainInterface ui;
    ui.window = platform::Window::create(localized("UI_MAIN_WINDOW_TITLE"));
    ui.statusImage = platform::ImageView::create();
    ui.devicePicker = platform::PopUpButton::create();
    ui.picker = platform::PopUpButton::create();
    ui.type = platform::TextField::create();
    ui.capacity = platform::TextField::create();
    ui.status = platform::TextField::create();
    ui.disksLabel = platform::TextField::create(localized("UI_DISKS_LABEL"));
    ui.disks = platform::TextField::create();
    ui.rebuildButton = platform::Button::create(localized("REBUILD"));
    ui.configButton = platform::Button::create(localized("UI_CONFIGURE_BUTTON"));
    // No operation of the delegate uses it; it stays visible but inert.
    ui.unmountButton = platform::Button::create(localized("UI_UNMOUNT_BUTTON"));
    ui.unmountButton->setEnabled(false);
    // Nothing to show until the first rescan.
    ui.rebuildButton->setHidden(true);
    ui.disksLabel->setHidden(true);
    ui.disks->setHidden(true);
    ui.configButton->setEnabled(false);

    ui.theSheet = platform::Panel::create(localized("UI_SHEET_TITLE"));
    ui.raidPicker = platform::Matrix::create();
    ui.raidPicker->addCell(localized("UI_LAYOUT_RAID0"), AppDelegate::kLayoutRAID0);
    ui.raidPicker->addCell(localized("UI_LAYOUT_RAID1"), AppDelegate::kLayoutRAID1);
    ui.raidPicker->addCell(localized("UI_LAYOUT_INDIVIDUAL"), AppDelegate::kLayoutIndividualDisks);
    ui.raidPicker->selectCellWithTag(AppDelegate::kLayoutRAID1);
    ui.name = platform::TextField::create();
    ui.cancelButton = platform::Button::create(localized("CANCEL"));
    ui.configNowButton = platform::Button::create(localized("UI_CONFIGURE_NOW_BUTTON"));
    return ui;
}

void MainInterface::connect(AppDelegate& delegate) const {
    delegate.setTheSheet(theSheet.get());
    delegate.setCancelButton(cancelButton.get());
    delegate.setConfigNowButton(configNowButton.get());
    delegate.setWindow(window.get());
    delegate.setDevicePicker(devicePicker.get());
    delegate.setName(name.get());
    delegate.setRaidPicker(raidPicker.get());
    delegate.setStatusImage(statusImage.get());
    delegate.setPicker(picker.get());
    delegate.setType(type.get());
    delegate.setCapacity(capacity.get());
    delegate.setStatus(status.get());
    delegate.setDisks(disks.get());
    delegate.setDisksLabel(disksLabel.get());
    delegate.setUnmountButton(unmountButton.get());
    delegate.setRebuildButton(rebuildButton.get());
    delegate.setConfigButton(configButton.get());

    const platform::WeakObjectPtr target = delegate.weak_from_this();
    devicePicker->setTarget(target);
    devicePicker->setAction(AppDelegate::changeDeviceAction());
    picker->setTarget(target);
    picker->setAction(AppDelegate::changeVolumeAction());
    configButton->setTarget(target);
    configButton->setAction(AppDelegate::configureDeviceAction());
    raidPicker->setTarget(target);
    raidPicker->setAction(AppDelegate::configureMatrixActionAction());
    configNowButton->setTarget(target);
    configNowButton->setAction(AppDelegate::doConfigureAction());
    cancelButton->setTarget(target);
    cancelButton->setAction(AppDelegate::doCancelAction());
    rebuildButton->setTarget(target);
    rebuildButton->setAction(AppDelegate::doRebuildAction());
}

std::vector<std::pair<std::string, platform::ObjectPtr>> MainInterface::outlets() const {
    return {
        {"theSheet", theSheet},
        {"cancelButton", cancelButton},
        {"configNowButton", configNowButton},
        {"window", window},
        {"devicePicker", devicePicker},
        {"name", name},
        {"raidPicker", raidPicker},
        {"statusImage", statusImage},
        {"picker", picker},
        {"type", type},
        {"capacity", capacity},
        {"status", status},
        {"disks", disks},
        {"disksLabel", disksLabel},
        {"unmountButton", unmountButton},
        {"rebuildButton", rebuildButton},
        {"configButton", configButton},
    };
}
