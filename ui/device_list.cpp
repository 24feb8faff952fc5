#include "ui/device_list.h"

#include "platform/controls/menu.h"
#include "ui/localized.h"

namespace {
constexpr const char* kDeviceTitle = "Norvik Duo Thunderbolt";
}  // namespace

std::shared_ptr<DeviceList> DeviceList::create(const MainInterface& ui,
                                               std::function<void()> changed) {
    auto list = std::make_shared<DeviceList>(Private{}, ui, std::move(changed));
    if (list->devicePicker_) {
        list->devicePicker_->setTarget(list->weak_from_this());
        list->devicePicker_->setAction(changeDeviceAction());
    }
    return list;
}

DeviceList::DeviceList(Private, const MainInterface& ui, std::function<void()> changed)
    : devicePicker_(ui.devicePicker), changed_(std::move(changed)) {}

platform::Selector DeviceList::changeDeviceAction() {
    return platform::makeSelector<DeviceList>("changeDevice:", &DeviceList::changeDevice);
}

void DeviceList::scanForControllers() {
    for (const auto& controller : controllers_) {
        if (controller) {
            controller->invalidate();
        }
    }
    controllers_ = MarvellController::scanForControllers();

    auto menu = platform::Menu::create("Devices");
    for (const auto& controller : controllers_) {
        auto item = platform::MenuItem::create(kDeviceTitle, changeDeviceAction(), "");
        item->setTarget(weak_from_this());
        item->setRepresentedObject(controller);
        menu->addItem(item);
    }
    if (controllers_.empty()) {
        auto item =
            platform::MenuItem::create(localized("NO_DEVICES_FOUND"), changeDeviceAction(), "");
        item->setTarget(weak_from_this());
        menu->addItem(item);
    }
    if (devicePicker_) {
        devicePicker_->setMenu(menu);
    }
}

void DeviceList::changeDevice(platform::Object*) {
    if (changed_) {
        changed_();
    }
}

bool DeviceList::takeSelectedController() {
    auto entry = devicePicker_ ? devicePicker_->selectedItem() : nullptr;
    if (!entry) {
        return false;
    }
    fController_ = std::dynamic_pointer_cast<MarvellController>(entry->representedObject());
    return true;
}
