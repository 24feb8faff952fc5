#include "app/app_delegate.h"
#include "app/outlet.h"
#include "platform/controls/application.h"
#include "platform/controls/matrix.h"
#include "platform/controls/text_field.h"
#include "platform/controls/window.h"
#include "ui/localized.h"

int AppDelegate::selectedLayout() const {
    return raidPicker_ ? raidPicker_->selectedTag() : 0;
}

void AppDelegate::configureDevice(platform::Object*) {
    if (name_) {
        name_->setStringValue(localized("DEFAULTNAME"));
    }
    platform::Application::sharedApplication().beginSheet(sharedOutlet(theSheet_),
                                                          sharedOutlet(window_));
}

void AppDelegate::configureMatrixAction(platform::Object*) {
    if (name_) {
        name_->setEnabled(selectedLayout() != kLayoutIndividualDisks);
    }
}

void AppDelegate::doCancel(platform::Object* sender) {
    platform::Application::sharedApplication().endSheet(sharedOutlet(theSheet_));
    if (theSheet_) {
        theSheet_->orderOut(sender);
    }
}
