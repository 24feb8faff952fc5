// The configuration sheet and volume creation: configButton opens the sheet
// over the window, raidPicker chooses the layout, name the volume's name
// (through the plain-text formatter), and configNowButton runs the two
// warnings and the change; cancelButton (the sheet's default) closes it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/volume_configuration.h"
#include "platform/controls/workspace.h"
#include "platform/core/object.h"
#include "ui/device_list.h"
#include "ui/main_interface.h"
#include "ui/qd_plain_text_formatter.h"

class ConfigurationSheet : public platform::Object {
    struct Private {};

  public:
    // Layout codes: the tags of raidPicker's cells.
    static constexpr int kLayoutRAID0 = VolumeConfiguration::kLayoutRAID0;
    static constexpr int kLayoutRAID1 = VolumeConfiguration::kLayoutRAID1;
    static constexpr int kLayoutIndividualDisks = VolumeConfiguration::kLayoutIndividualDisks;

    static constexpr std::int64_t kNameMaxLength = 15;

    // Configures the current controller of `devices`; `configured` runs after
    // every change that was tried (the window refreshes).
    static std::shared_ptr<ConfigurationSheet> create(const MainInterface& ui,
                                                      const DeviceList& devices,
                                                      std::function<void()> configured);
    ConfigurationSheet(Private,
                       const MainInterface& ui,
                       const DeviceList& devices,
                       std::function<void()> configured);

    // Start-up: a new formatter on the name field; Return on the sheet cancels.
    void installFormatter();
    void makeCancelTheDefault();

    // Whether there is anything to configure (configButton's state).
    void setAvailable(bool available);

    void configureDevice(platform::Object* sender);
    void configureMatrixAction(platform::Object* sender);
    void doConfigure(platform::Object* sender);
    void doCancel(platform::Object* sender);
    void doCreateRAID(const std::string& name, std::int64_t type);

    static platform::Selector configureDeviceAction();
    static platform::Selector configureMatrixActionAction();
    static platform::Selector doConfigureAction();
    static platform::Selector doCancelAction();

    const std::shared_ptr<QDPlainTextFormatter>& formatter() const { return formatter_; }

    // How the success alert opens the desktop's disk tool; the shared
    // workspace unless replaced (tests record the request instead).
    std::function<platform::LaunchOutcome(const std::string& application)> launchApplication;

  private:
    // The tag of raidPicker's selected cell (0 without a matrix).
    int selectedLayout() const;

    const DeviceList& devices_;
    std::function<void()> configured_;
    std::shared_ptr<QDPlainTextFormatter> formatter_;
    std::shared_ptr<platform::Panel> theSheet_;
    std::shared_ptr<platform::Window> window_;
    std::shared_ptr<platform::Matrix> raidPicker_;
    std::shared_ptr<platform::TextField> name_;
    std::shared_ptr<platform::Button> cancelButton_;
    std::shared_ptr<platform::Button> configNowButton_;
    std::shared_ptr<platform::Button> configButton_;
};
