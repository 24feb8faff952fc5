// The application delegate: controller of the main window and of the
// configuration sheet. It owns the controllers and the current one, the
// volume-name formatter and the refresh timer; the controls are outlets owned
// by the interface (ui/main_interface.h connects them).
//
// The operations are spread over files by job: app/ holds start-up and
// shut-down, the refresh queues and the timer, enclosure detection and the
// device list; ui/ the volume view, the health icon and the sheet's flows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/marvell_controller.h"
#include "model/marvell_disk.h"
#include "model/marvell_raid_set.h"
#include "platform/controls/application_delegate.h"
#include "platform/controls/notification_center.h"
#include "platform/core/object.h"
#include "platform/devices/device_types.h"
#include "platform/devices/disk_arrival.h"
#include "platform/devices/registry.h"
#include "platform/runloop/run_loop.h"
#include "ui/qd_plain_text_formatter.h"

namespace platform {
class Button;
class ImageView;
class Matrix;
class Panel;
class PopUpButton;
class TextField;
class Window;
}  // namespace platform

class AppDelegate : public platform::Object, public platform::ApplicationDelegate {
    struct Private {};

  public:
    // Layout codes: the tags of raidPicker's cells.
    static constexpr int kLayoutRAID0 = 1;
    static constexpr int kLayoutRAID1 = 2;
    static constexpr int kLayoutIndividualDisks = 3;

    static constexpr std::int64_t kNameMaxLength = 15;
    static constexpr double kRescanDelay = 1.0;
    static constexpr double kRefreshInterval = 10.0;

    // Created shared: delayed performs, menu items and the timer refer to it weakly.
    static std::shared_ptr<AppDelegate> create();
    explicit AppDelegate(Private) {}
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Plain instance variables.
    std::shared_ptr<QDPlainTextFormatter> formatter;
    std::shared_ptr<platform::Timer> timer;

    // --- properties (1-6): platform handles and the model
    const std::shared_ptr<platform::RunLoopSource>& notificationRunLoopSource() const {
        return notificationRunLoopSource_;
    }
    void setNotificationRunLoopSource(std::shared_ptr<platform::RunLoopSource> source) {
        notificationRunLoopSource_ = std::move(source);
    }
    const platform::devices::NotificationPortRef& notificationObject() const {
        return notificationObject_;
    }
    void setNotificationObject(platform::devices::NotificationPortRef port) {
        notificationObject_ = std::move(port);
    }
    platform::devices::Iterator publishIterator() const { return publishIterator_; }
    void setPublishIterator(platform::devices::Iterator it) { publishIterator_ = it; }
    platform::devices::Iterator publishIterator2() const { return publishIterator2_; }
    void setPublishIterator2(platform::devices::Iterator it) { publishIterator2_ = it; }

    const std::vector<std::shared_ptr<MarvellController>>& controllers() const {
        return controllers_;
    }
    void setControllers(std::vector<std::shared_ptr<MarvellController>> c) {
        controllers_ = std::move(c);
    }
    const std::shared_ptr<MarvellController>& fController() const { return fController_; }
    void setFController(std::shared_ptr<MarvellController> c) { fController_ = std::move(c); }

    // --- properties (7-23): outlets, not owned
#define NORVIK_OUTLET(Type, name, setter)  \
    platform::Type* name() const {         \
        return name##_;                    \
    }                                      \
    void setter(platform::Type* control) { \
        name##_ = control;                 \
    }

    NORVIK_OUTLET(Panel, theSheet, setTheSheet)
    NORVIK_OUTLET(Button, cancelButton, setCancelButton)
    NORVIK_OUTLET(Button, configNowButton, setConfigNowButton)
    NORVIK_OUTLET(Window, window, setWindow)
    NORVIK_OUTLET(PopUpButton, devicePicker, setDevicePicker)
    NORVIK_OUTLET(TextField, name, setName)
    NORVIK_OUTLET(Matrix, raidPicker, setRaidPicker)
    NORVIK_OUTLET(ImageView, statusImage, setStatusImage)
    NORVIK_OUTLET(PopUpButton, picker, setPicker)
    NORVIK_OUTLET(TextField, type, setType)
    NORVIK_OUTLET(TextField, capacity, setCapacity)
    NORVIK_OUTLET(TextField, status, setStatus)
    NORVIK_OUTLET(TextField, disks, setDisks)
    NORVIK_OUTLET(TextField, disksLabel, setDisksLabel)
    NORVIK_OUTLET(Button, unmountButton, setUnmountButton)
    NORVIK_OUTLET(Button, rebuildButton, setRebuildButton)
    NORVIK_OUTLET(Button, configButton, setConfigButton)
#undef NORVIK_OUTLET

    // --- operations, in declaration order
    bool applicationShouldTerminateAfterLastWindowClosed(
        platform::Application& application) override;
    void applicationDidFinishLaunching(platform::Object* notification) override;
    void applicationWillTerminate(platform::Object* notification) override;
    void marvellEvent(const platform::Notification& notification);
    void queueRescanEvent();
    void queueUpdateEvent(std::uint64_t delaySeconds);
    void registerForNotifications();
    void unregisterForNotifications();
    void deviceAdded();
    void deviceRemoved();
    void scanForControllers();
    void configureMatrixAction(platform::Object* sender);
    void doConfigure(platform::Object* sender);
    void doCancel(platform::Object* sender);
    void configureDevice(platform::Object* sender);
    void doRebuild(platform::Object* sender);
    void doCreateRAID(const std::string& name, std::int64_t type);
    void doRebuildRAID(const std::shared_ptr<MarvellRAIDSet>& set,
                       const std::shared_ptr<MarvellDisk>& disk);
    void changeDevice(platform::Object* sender);
    void changeVolume(platform::Object* sender);
    void startTimer();
    void stopTimer();
    void updateDevice();
    void updateInfo();
    void setStatusIcon();

    // The disk-arrival session of start-up (null when none could be made);
    // it lives as long as the delegate.
    const platform::devices::DiskArrivalSessionRef& diskArrivalSession() const {
        return diskArrivalSession_;
    }

    // Opens the disk-arrival session of start-up (null: none could be made).
    std::function<platform::devices::DiskArrivalSessionRef()> createDiskArrivalSession =
        &platform::devices::DiskArrivalSession::create;

    // How the success alert opens "Disk Utility"; the shared workspace unless
    // replaced (tests record the request instead of starting a program).
    std::function<void(const std::string& application)> launchApplication;

    // Action selectors, as the interface wires them.
    static platform::Selector changeDeviceAction();
    static platform::Selector changeVolumeAction();
    static platform::Selector configureDeviceAction();
    static platform::Selector configureMatrixActionAction();
    static platform::Selector doConfigureAction();
    static platform::Selector doCancelAction();
    static platform::Selector doRebuildAction();

  private:
    std::weak_ptr<AppDelegate> weakSelf() {
        return std::static_pointer_cast<AppDelegate>(shared_from_this());
    }
    // The tag of raidPicker's selected cell (0 without a matrix).
    int selectedLayout() const;

    std::shared_ptr<platform::RunLoopSource> notificationRunLoopSource_;
    platform::devices::NotificationPortRef notificationObject_;
    platform::devices::Iterator publishIterator_ = platform::devices::kNoHandle;
    platform::devices::Iterator publishIterator2_ = platform::devices::kNoHandle;
    std::vector<std::shared_ptr<MarvellController>> controllers_;
    std::shared_ptr<MarvellController> fController_;

    platform::Panel* theSheet_ = nullptr;
    platform::Button* cancelButton_ = nullptr;
    platform::Button* configNowButton_ = nullptr;
    platform::Window* window_ = nullptr;
    platform::PopUpButton* devicePicker_ = nullptr;
    platform::TextField* name_ = nullptr;
    platform::Matrix* raidPicker_ = nullptr;
    platform::ImageView* statusImage_ = nullptr;
    platform::PopUpButton* picker_ = nullptr;
    platform::TextField* type_ = nullptr;
    platform::TextField* capacity_ = nullptr;
    platform::TextField* status_ = nullptr;
    platform::TextField* disks_ = nullptr;
    platform::TextField* disksLabel_ = nullptr;
    platform::Button* unmountButton_ = nullptr;
    platform::Button* rebuildButton_ = nullptr;
    platform::Button* configButton_ = nullptr;

    platform::devices::DiskArrivalSessionRef diskArrivalSession_;
};
