#include "app/app_delegate.h"
#include "platform/controls/application.h"
#include "platform/controls/menu.h"
#include "platform/controls/pop_up_button.h"

namespace {
constexpr const char* kDeviceTitle = "Norvik Duo Thunderbolt";
constexpr const char* kNoDevicesTitle = "No devices found";
}  // namespace

void AppDelegate::scanForControllers() {
    platform::Application::sharedApplication().abortModal();
    // Whatever was chosen on the sheet belongs to the old controllers.
    doCancel(nullptr);

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
        auto item = platform::MenuItem::create(kNoDevicesTitle, changeDeviceAction(), "");
        item->setTarget(weak_from_this());
        menu->addItem(item);
    }
    if (devicePicker_) {
        devicePicker_->setMenu(menu);
    }

    updateDevice();
}

void AppDelegate::changeDevice(platform::Object*) {
    updateDevice();
}
