// The application delegate: it makes one part per job and wires them
// together, and runs start-up and shut-down. The parts own their controls and
// timers: refresh scheduling, enclosure watching, the device list, the volume
// panel (list, texts, health icon), the configuration sheet with volume
// creation, and the rebuild flow.
#pragma once

#include <memory>

#include "app/enclosure_watcher.h"
#include "app/refresh_scheduler.h"
#include "model/library_session.h"
#include "platform/controls/application_delegate.h"
#include "platform/controls/notification_center.h"
#include "platform/core/object.h"
#include "ui/configuration_sheet.h"
#include "ui/device_list.h"
#include "ui/main_interface.h"
#include "ui/rebuild_flow.h"
#include "ui/volume_panel.h"

class AppDelegate : public platform::Object, public platform::ApplicationDelegate {
    struct Private {};

  public:
    static constexpr int kLayoutRAID0 = ConfigurationSheet::kLayoutRAID0;
    static constexpr int kLayoutRAID1 = ConfigurationSheet::kLayoutRAID1;
    static constexpr int kLayoutIndividualDisks = ConfigurationSheet::kLayoutIndividualDisks;

    // Its parts take their controls from `ui`.
    static std::shared_ptr<AppDelegate> create(const MainInterface& ui);
    AppDelegate(Private, const MainInterface& ui);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    bool applicationShouldTerminateAfterLastWindowClosed(
        platform::Application& application) override;
    void applicationDidFinishLaunching(platform::Object* notification) override;
    void applicationWillTerminate(platform::Object* notification) override;
    void marvellEvent(const platform::Notification& notification);

    // Closes whatever belongs to the old controllers, lists the present ones
    // and shows the current one.
    void scanForControllers();
    // Shows the current controller's volumes, texts and health, and runs the
    // refresh timer while it has a mirror or something could not be read.
    void updateDevice();
    // The refresh timer's tick: the health and the selected entry's texts
    // afresh; a list that could not be read is asked for again.
    void refreshInfo();

    RefreshScheduler& refresh() { return refresh_; }
    EnclosureWatcher& enclosure() { return enclosure_; }
    DeviceList& devices() { return *devices_; }
    VolumePanel& volumes() { return *volumes_; }
    ConfigurationSheet& sheet() { return *sheet_; }
    RebuildFlow& rebuild() { return *rebuild_; }

  private:
    // The icon and the device list's marks from a fresh reading; keeps the
    // refresh going while something could not be read.
    void showHealth();

    LibrarySession library_;
    // Declared before what uses them, destroyed after.
    std::shared_ptr<DeviceList> devices_;
    std::shared_ptr<VolumePanel> volumes_;
    std::shared_ptr<ConfigurationSheet> sheet_;
    std::shared_ptr<RebuildFlow> rebuild_;
    RefreshScheduler refresh_;
    EnclosureWatcher enclosure_;
};
