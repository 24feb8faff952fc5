#include "ui/main_interface.h"

#include "ui/configuration_sheet.h"
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
    ui.raidPicker->addCell(localized("UI_LAYOUT_RAID0"), ConfigurationSheet::kLayoutRAID0);
    ui.raidPicker->addCell(localized("UI_LAYOUT_RAID1"), ConfigurationSheet::kLayoutRAID1);
    ui.raidPicker->addCell(localized("UI_LAYOUT_INDIVIDUAL"),
                           ConfigurationSheet::kLayoutIndividualDisks);
    ui.raidPicker->selectCellWithTag(ConfigurationSheet::kLayoutRAID1);
    ui.name = platform::TextField::create();
    ui.cancelButton = platform::Button::create(localized("CANCEL"));
    ui.configNowButton = platform::Button::create(localized("UI_CONFIGURE_NOW_BUTTON"));
    return ui;
}

std::vector<std::pair<std::string, platform::ObjectPtr>> MainInterface::outlets() const {
    return {
#define NORVIK_OUTLET_ENTRY(Type, outlet) {#outlet, outlet},
        NORVIK_OUTLETS(NORVIK_OUTLET_ENTRY)
#undef NORVIK_OUTLET_ENTRY
    };
}
