#include "app/app_delegate.h"

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
                .updateInfo = [this] { refreshInfo(); }}),
      enclosure_({.rescan = [this] { refresh_.queueRescanEvent(); },
                  .update = [this] { refresh_.queueUpdateEvent(1); }}) {}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed(platform::Application&) {
    return true;
}

void AppDelegate::applicationDidFinishLaunching(platform::Object*) {
    library_.start();

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
    library_.finish();
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
    if (listed.mirror || listed.walksFailed || !devices_->controllersRead()) {
        refresh_.startTimer();
    }
    sheet_->setAvailable(listed.hasDisks);
    showHealth();
    volumes_->updateInfo();
}

void AppDelegate::refreshInfo() {
    // The library may answer again: a list that could not be read is asked for anew.
    if (!devices_->controllersRead()) {
        refresh_.queueRescanEvent();
    } else if (volumes_->walksFailed()) {
        refresh_.queueUpdateEvent(0);
    }
    volumes_->readCurrentController();
    showHealth();
    volumes_->updateInfo();
}

void AppDelegate::showHealth() {
    const ControllerVerdict verdict = volumes_->setStatusIcon();
    devices_->showHealth(verdict);
    // Only a status read can tell this after the timer's step of updateDevice.
    if (anythingUnread(verdict.findings) && !refresh_.timerRunning()) {
        refresh_.startTimer();
    }
}
