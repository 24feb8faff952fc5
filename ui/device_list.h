// The device list: the controllers of the last rescan, one entry each in
// devicePicker, and the current controller taken from its selected entry.
// With more than one enclosure each entry names its controller and says
// when that enclosure needs attention, without selecting it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "model/health_verdict.h"
#include "model/marvell_controller.h"
#include "platform/controls/pop_up_button.h"
#include "platform/core/object.h"
#include "ui/main_interface.h"

class DeviceList : public platform::Object {
    struct Private {};

  public:
    // `changed` runs when the user picks another entry.
    static std::shared_ptr<DeviceList> create(const MainInterface& ui,
                                              std::function<void()> changed);
    DeviceList(Private, const MainInterface& ui, std::function<void()> changed);

    // Invalidates the old controllers, asks the library for the present ones
    // and lists them ("No devices found" when there are none, and a
    // placeholder saying so when the list could not be read).
    void scanForControllers();
    // Whether the last rescan could read the controller list whole.
    bool controllersRead() const { return controllersRead_; }
    // Marks the entries that need attention: the current controller by its
    // verdict, every other one read afresh. Nothing to do for one controller.
    void showHealth(const ControllerVerdict& current);
    // The user picked an entry.
    void changeDevice(platform::Object* sender);
    static platform::Selector changeDeviceAction();

    // Makes the selected entry's controller current (null for the
    // placeholder); false, changing nothing, when no entry is selected.
    bool takeSelectedController();

    const std::vector<std::shared_ptr<MarvellController>>& controllers() const {
        return controllers_;
    }
    const std::shared_ptr<MarvellController>& fController() const { return fController_; }
    const std::shared_ptr<platform::PopUpButton>& devicePicker() const { return devicePicker_; }

  private:
    std::shared_ptr<platform::PopUpButton> devicePicker_;
    std::function<void()> changed_;
    std::vector<std::shared_ptr<MarvellController>> controllers_;
    bool controllersRead_ = true;
    std::shared_ptr<MarvellController> fController_;
};
