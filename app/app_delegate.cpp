#include "app/app_delegate.h"

#include "model/guard.h"
#include "model/library_binding.h"
#include "platform/controls/application.h"

std::shared_ptr<AppDelegate> AppDelegate::create(const MainInterface& ui) {
    return std::make_shared<AppDelegate>(Private{}, ui);
}

AppDelegate::AppDelegate(Private, const MainInterface& ui)
    : devices_(DeviceList::create(ui, [this] { updateDevice(); })),
      volumes_(VolumePanel::create(ui, *devices_)),
      sheet_(ConfigurationSheet::create(ui, *devices_, [this] { refresh_.queueUpdateEvent(0); })),
      rebuild_(RebuildFlow::create(ui,
                                   *devices_,
                                   *volumes_,
                                   {.closeSheet = [this] { sheet_->doCancel(nullptr); },
                                    .refresh = [this] { refresh_.queueUpdateEvent(0); }})),
      refresh_({.scanForControllers = [this] { scanForControllers(); },
                .updateDevice = [this] { updateDevice(); },
                .updateInfo = [this] { volumes_->updateInfo(); }}),
      enclosure_({.rescan = [this] { refresh_.queueRescanEvent(); },
                  .update = [this] { refresh_.queueUpdateEvent(1); }}) {}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed(platform::Application&) {
    return true;
}

void AppDelegate::applicationDidFinishLaunching(platform::Object*) {
    guarded(0, [] {
        controllerLibrary().MV_API_Initialize();
        controllerLibrary().MV_API_RescanAdapter();
        return 0;
    });

    platform::NotificationCenter::defaultCenter().addObserver(
        weak_from_this(), "Marvell",
        [self = std::weak_ptr<AppDelegate>(std::static_pointer_cast<AppDelegate>(
             shared_from_this()))](const platform::Notification& n) {
            if (auto delegate = self.lock()) {
                delegate->marvellEvent(n);
            }
        });

    sheet_->installFormatter();
    enclosure_.openNotificationPort();
    refresh_.queueRescanEvent();
    enclosure_.registerForNotifications();
    enclosure_.watchDiskArrival();
    sheet_->makeCancelTheDefault();
}

void AppDelegate::applicationWillTerminate(platform::Object*) {
    guarded(0, [] { return controllerLibrary().MV_API_Finalize(); });
    enclosure_.unregisterForNotifications();
}

void AppDelegate::marvellEvent(const platform::Notification&) {
    refresh_.queueUpdateEvent(1);
}

void AppDelegate::scanForControllers() {
    platform::Application::sharedApplication().abortModal();
    // Whatever was chosen on the sheet belongs to the old controllers.
    sheet_->doCancel(nullptr);
    devices_->scanForControllers();
    updateDevice();
}

void AppDelegate::updateDevice() {
    refresh_.stopTimer();
    if (!devices_->takeSelectedController()) {
        volumes_->updateInfo();
        return;
    }
    const VolumePanel::Listed listed = volumes_->showCurrentController();
    if (listed.mirror) {
        refresh_.startTimer();
    }
    sheet_->setAvailable(listed.hasDisks);
}
