#include "app/app_delegate.h"
#include "app/enclosure_detection.h"
#include "model/guard.h"
#include "model/library_binding.h"
#include "platform/controls/button.h"
#include "platform/controls/notification_center.h"
#include "platform/controls/text_field.h"
#include "platform/controls/window.h"
#include "platform/controls/workspace.h"

namespace devices = platform::devices;

std::shared_ptr<AppDelegate> AppDelegate::create() {
    auto delegate = std::make_shared<AppDelegate>(Private{});
    delegate->launchApplication = [](const std::string& application) {
        platform::Workspace::sharedWorkspace().launchApplication(application);
    };
    return delegate;
}

AppDelegate::~AppDelegate() {
    // The registry and disk-arrival callbacks carry this object as their
    // context; none may outlive it.
    unregisterForNotifications();
    if (diskArrivalSession_) {
        diskArrivalSession_->unscheduleFromRunLoop();
    }
    stopTimer();
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed(platform::Application&) {
    return true;
}

void AppDelegate::applicationDidFinishLaunching(platform::Object*) {
    guarded(0, [] {
        controllerLibrary().MV_API_Initialize();
        controllerLibrary().MV_API_RescanAdapter();
        return 0;
    });

    controllers_.clear();

    platform::NotificationCenter::defaultCenter().addObserver(
        weak_from_this(), "Marvell", [self = weakSelf()](const platform::Notification& n) {
            if (auto delegate = self.lock()) {
                delegate->marvellEvent(n);
            }
        });

    formatter = std::make_shared<QDPlainTextFormatter>();
    formatter->setMaxLength(kNameMaxLength);
    if (name_) {
        name_->setFormatter(formatter);
    }

    setNotificationObject(devices::notificationPortCreate());
    setNotificationRunLoopSource(devices::notificationPortGetRunLoopSource(notificationObject_));
    platform::RunLoop* loop = platform::RunLoop::current();
    if (loop && notificationRunLoopSource_) {
        loop->addSource(notificationRunLoopSource_, platform::kCommonModes);
    }

    queueRescanEvent();
    registerForNotifications();

    diskArrivalSession_ = createDiskArrivalSession ? createDiskArrivalSession() : nullptr;
    if (diskArrivalSession_) {
        diskArrivalSession_->registerDiskAppearedCallback(devices::DiskMatch::WholeMedia,
                                                          diskAppeared, this);
        diskArrivalSession_->registerDiskDisappearedCallback(devices::DiskMatch::WholeMedia,
                                                             diskDisappeared, this);
        if (loop) {
            diskArrivalSession_->scheduleWithRunLoop(*loop, platform::Mode::Default);
        }
    }

    // Return on the sheet cancels rather than reconfigures.
    if (theSheet_ && cancelButton_) {
        theSheet_->setDefaultButtonCell(cancelButton_->cell());
    }
}

void AppDelegate::applicationWillTerminate(platform::Object*) {
    guarded(0, [] { return controllerLibrary().MV_API_Finalize(); });
    unregisterForNotifications();
}

void AppDelegate::marvellEvent(const platform::Notification&) {
    queueUpdateEvent(1);
}
