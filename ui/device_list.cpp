#include "ui/device_list.h"

#include "platform/controls/menu.h"
#include "ui/localized.h"

namespace {
constexpr const char* kDeviceTitle = "Norvik Duo Thunderbolt";
// Two enclosures look alike: each entry names its controller, as `status` does.
std::string deviceTitle(const MarvellController& controller, bool several) {
    return several ? localizedFormat("DEVICE_TITLE_NUMBERED", {kDeviceTitle, controller.cid()})
                   : std::string(kDeviceTitle);
}

bool needsAttention(Health health) {
    return health != Health::Ok && health != Health::Rebuilding;
}
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
    auto scan = MarvellController::enumerateControllers();
    controllers_ = std::move(scan.controllers);
    controllersRead_ = scan.complete;

    auto menu = platform::Menu::create("Devices");
    for (const auto& controller : controllers_) {
        auto item = platform::MenuItem::create(deviceTitle(*controller, controllers_.size() > 1),
                                               changeDeviceAction(), "");
        item->setTarget(weak_from_this());
        item->setRepresentedObject(controller);
        menu->addItem(item);
    }
    if (controllers_.empty()) {
        auto item = platform::MenuItem::create(
            localized(controllersRead_ ? "NO_DEVICES_FOUND" : "DEVICES_UNREADABLE"),
            changeDeviceAction(), "");
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

void DeviceList::showHealth(const ControllerVerdict& current) {
    const auto& menu = devicePicker_ ? devicePicker_->menu() : nullptr;
    if (controllers_.size() < 2 || !menu) {
        return;
    }
    for (const auto& item : menu->items()) {
        auto controller = std::dynamic_pointer_cast<MarvellController>(item->representedObject());
        if (!controller) {
            continue;
        }
        const Health health =
            controller == fController_
                ? current.health
                : judgeController(readController(*controller, walkController(*controller))).health;
        const std::string title = deviceTitle(*controller, true);
        item->setTitle(needsAttention(health) ? localizedFormat("DEVICE_NEEDS_ATTENTION", {title})
                                              : title);
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
