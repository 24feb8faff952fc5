#include "ui/configuration_sheet.h"

#include "platform/controls/application.h"
#include "platform/controls/workspace.h"
#include "ui/localized.h"

std::shared_ptr<ConfigurationSheet> ConfigurationSheet::create(const MainInterface& ui,
                                                               const DeviceList& devices,
                                                               std::function<void()> configured) {
    auto sheet =
        std::make_shared<ConfigurationSheet>(Private{}, ui, devices, std::move(configured));
    const platform::WeakObjectPtr self = sheet->weak_from_this();
    auto wire = [&](auto& control, platform::Selector action) {
        if (control) {
            control->setTarget(self);
            control->setAction(std::move(action));
        }
    };
    wire(ui.configButton, configureDeviceAction());
    wire(ui.raidPicker, configureMatrixActionAction());
    wire(ui.configNowButton, doConfigureAction());
    wire(ui.cancelButton, doCancelAction());
    return sheet;
}

ConfigurationSheet::ConfigurationSheet(Private,
                                       const MainInterface& ui,
                                       const DeviceList& devices,
                                       std::function<void()> configured)
    : launchApplication([](const std::string& application) {
          return platform::Workspace::sharedWorkspace().launchApplication(application);
      }),
      devices_(devices),
      configured_(std::move(configured)),
      theSheet_(ui.theSheet),
      window_(ui.window),
      raidPicker_(ui.raidPicker),
      name_(ui.name),
      cancelButton_(ui.cancelButton),
      configNowButton_(ui.configNowButton),
      configButton_(ui.configButton) {}

platform::Selector ConfigurationSheet::configureDeviceAction() {
    return platform::makeSelector<ConfigurationSheet>("configureDevice:",
                                                      &ConfigurationSheet::configureDevice);
}
platform::Selector ConfigurationSheet::configureMatrixActionAction() {
    return platform::makeSelector<ConfigurationSheet>("configureMatrixAction:",
                                                      &ConfigurationSheet::configureMatrixAction);
}
platform::Selector ConfigurationSheet::doConfigureAction() {
    return platform::makeSelector<ConfigurationSheet>("doConfigure:",
                                                      &ConfigurationSheet::doConfigure);
}
platform::Selector ConfigurationSheet::doCancelAction() {
    return platform::makeSelector<ConfigurationSheet>("doCancel:", &ConfigurationSheet::doCancel);
}

void ConfigurationSheet::installFormatter() {
    formatter_ = std::make_shared<QDPlainTextFormatter>();
    formatter_->setMaxLength(kNameMaxLength);
    if (name_) {
        name_->setFormatter(formatter_);
    }
}

void ConfigurationSheet::makeCancelTheDefault() {
    if (theSheet_ && cancelButton_) {
        theSheet_->setDefaultButtonCell(cancelButton_->cell());
    }
}

void ConfigurationSheet::setAvailable(bool available) {
    if (configButton_) {
        configButton_->setEnabled(available);
    }
}

int ConfigurationSheet::selectedLayout() const {
    return raidPicker_ ? raidPicker_->selectedTag() : 0;
}

void ConfigurationSheet::configureDevice(platform::Object*) {
    if (name_) {
        name_->setStringValue(localized("DEFAULTNAME"));
    }
    platform::Application::sharedApplication().beginSheet(theSheet_, window_);
}

void ConfigurationSheet::configureMatrixAction(platform::Object*) {
    if (name_) {
        name_->setEnabled(selectedLayout() != kLayoutIndividualDisks);
    }
}

void ConfigurationSheet::doCancel(platform::Object* sender) {
    platform::Application::sharedApplication().endSheet(theSheet_);
    if (theSheet_) {
        theSheet_->orderOut(sender);
    }
}
