#include "ui/main_interface.h"

#include "ui/configuration_sheet.h"

MainInterface MainInterface::build() {
    MainInterface ui;
    ui.window = platform::Window::create("Norvik RAID Utility");
    ui.statusImage = platform::ImageView::create();
    ui.devicePicker = platform::PopUpButton::create();
    ui.picker = platform::PopUpButton::create();
    ui.type = platform::TextField::create();
    ui.capacity = platform::TextField::create();
    ui.status = platform::TextField::create();
    ui.disksLabel = platform::TextField::create("Disks in slots:");
    ui.disks = platform::TextField::create();
    ui.rebuildButton = platform::Button::create("Rebuild");
    ui.configButton = platform::Button::create("Configure\u2026");
    // No operation of the delegate uses it; it stays visible but inert.
    ui.unmountButton = platform::Button::create("Unmount");
    ui.unmountButton->setEnabled(false);
    // Nothing to show until the first rescan.
    ui.rebuildButton->setHidden(true);
    ui.disksLabel->setHidden(true);
    ui.disks->setHidden(true);
    ui.configButton->setEnabled(false);

    ui.theSheet = platform::Panel::create("Configure the enclosure");
    ui.raidPicker = platform::Matrix::create();
    ui.raidPicker->addCell("One fast volume (RAID 0, striped)", ConfigurationSheet::kLayoutRAID0);
    ui.raidPicker->addCell("One safe volume (RAID 1, mirrored)", ConfigurationSheet::kLayoutRAID1);
    ui.raidPicker->addCell("Two individual disks", ConfigurationSheet::kLayoutIndividualDisks);
    ui.raidPicker->selectCellWithTag(ConfigurationSheet::kLayoutRAID1);
    ui.name = platform::TextField::create();
    ui.cancelButton = platform::Button::create("Cancel");
    ui.configNowButton = platform::Button::create("Configure Now");
    return ui;
}

std::vector<std::pair<std::string, platform::ObjectPtr>> MainInterface::outlets() const {
    return {
#define NORVIK_OUTLET_ENTRY(Type, outlet) {#outlet, outlet},
        NORVIK_OUTLETS(NORVIK_OUTLET_ENTRY)
#undef NORVIK_OUTLET_ENTRY
    };
}
