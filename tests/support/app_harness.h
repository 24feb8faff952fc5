// The whole application, headless, for the app and ui tests: the interface
// built in code and handed to a delegate, on a virtual-time run loop, with
// scripted alert answers, a fake controller library, an in-memory device tree
// and a string table whose texts are their keys (plus the placeholders the
// formats need), so tests can read what was shown without depending on wording.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "app/enclosure_detection.h"
#include "model/library_binding.h"
#include "model/model_clock.h"
#include "platform/controls/application.h"
#include "platform/controls/bundle.h"
#include "platform/controls/image.h"
#include "platform/controls/menu.h"
#include "platform/controls/scripted_alert_presenter.h"
#include "platform/devices/device_tree.h"
#include "platform/runloop/virtual_time_driver.h"
#include "tests/support/app_fake_library.h"
#include "ui/main_interface.h"

// A resource folder made once per test process: the string table and three
// small stand-ins for the icons.
class AppTestResources {
  public:
    static const std::filesystem::path& directory() {
        static AppTestResources resources;
        return resources.dir_;
    }

  private:
    AppTestResources() {
        dir_ = std::filesystem::temp_directory_path() /
               ("norvik-app-tests-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_ / "strings");
        std::filesystem::create_directories(dir_ / "icons");
        std::ofstream(dir_ / "strings" / "en.json") << R"({
            "ERROR_SETCONFIG_BODY": "ERROR_SETCONFIG_BODY %d",
            "ERROR_REBUILD_BODY": "ERROR_REBUILD_BODY %d",
            "WARNING1_REBUILD_BODY": "WARNING1_REBUILD_BODY %@|%@|%@",
            "WARNING2_REBUILD_TITLE": "WARNING2_REBUILD_TITLE %@",
            "HD_STATUS_UNKNOWN": "HD_STATUS_UNKNOWN %d",
            "LD_STATUS_UNKNOWN": "LD_STATUS_UNKNOWN %d",
            "LD_MODE_UNKNOWN": "LD_MODE_UNKNOWN %d",
            "VOLUME_NAME_UNREADABLE": "VOLUME_NAME_UNREADABLE %d",
            "VOLUME_NAME_EMPTY": "VOLUME_NAME_EMPTY %d",
            "REBUILD_TIME_LEFT_TOOLTIP": "REBUILD_TIME_LEFT_TOOLTIP %@",
            "TIME_LEFT_MINUTES": "%d min",
            "LIBRARY_PROBLEM_BODY": "LIBRARY_PROBLEM_BODY %@",
            "DISKTOOL_FAILED_BODY": "DISKTOOL_FAILED_BODY %@|%@",
            "DISK_IDENTITY": "DISK_IDENTITY %@|%@",
            "MEMBER_DISK_IDENTITY": "MEMBER_DISK_IDENTITY %d|%@|%@"
        })";
        for (const char* icon :
             {"icon_healthcheck_ok", "icon_healthcheck_warning", "icon_healthcheck_wrong"}) {
            std::ofstream(dir_ / "icons" / (std::string(icon) + ".png")) << icon;
        }
    }
    ~AppTestResources() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::filesystem::path dir_;
};

class AppHarness {
  public:
    platform::VirtualTimeDriver driver;
    platform::ScopedApplication scopedApplication;
    std::shared_ptr<platform::ScriptedAlertPresenter> alerts =
        std::make_shared<platform::ScriptedAlertPresenter>();
    platform::devices::DeviceTree tree;
    platform::devices::DeviceTree::Scope treeScope{tree};
    std::shared_ptr<AppFakeLibrary> library = std::make_shared<AppFakeLibrary>();
    ScopedControllerLibrary libraryScope{library};
    ScopedModelClock modelClockScope{driver.clock()};
    platform::Bundle bundle{AppTestResources::directory(), "en"};
    platform::Bundle::ScopedMainBundle bundleScope{bundle};
    MainInterface ui = MainInterface::build();
    std::shared_ptr<AppDelegate> delegate = AppDelegate::create(ui);
    std::vector<std::string> launched;
    // What launching an application comes to.
    platform::LaunchOutcome launchOutcome = [] {
        platform::LaunchOutcome launched;
        launched.status = platform::LaunchOutcome::Status::Launched;
        return launched;
    }();

    AppHarness() {
        app().setAlertPresenter(alerts);
        app().setDelegate(delegate);
        delegate->sheet().launchApplication = [this](const std::string& name) {
            launched.push_back(name);
            return launchOutcome;
        };
    }
    ~AppHarness() { delegate.reset(); }

    platform::Application& app() const { return scopedApplication.application(); }

    void launch() { app().finishLaunching(); }
    // Launches and lets the start-up rescan run.
    void launchAndSettle() {
        launch();
        advance(1.0);
    }
    void advance(double s) { driver.fastForwardBy(platform::seconds(s)); }

    // --- the device tree
    // The enclosure's controller node with one disk bus below it (bus node two
    // levels under the controller); returns the controller's node.
    platform::devices::NodeId plugEnclosure(
        int index,
        platform::devices::Bytes subsystem = enclosure::kSubsystemID) {
        const std::string base = "/pci@0/bridge@" + std::to_string(index);
        auto bridge = tree.nodeAtPath(base);
        if (bridge == platform::devices::kNoNode) {
            bridge = tree.addNode("pci-bridge", base);
        }
        const std::string path = base + "/pci1b4b,9230@0";
        auto controller =
            tree.addNode(enclosure::kServiceName, path, bridge,
                         {{enclosure::kSubsystemVendorKey, enclosure::kSubsystemVendorID},
                          {enclosure::kSubsystemKey, std::move(subsystem)}});
        auto port = tree.addNode("ahci-port", path + "/port@0", controller);
        tree.addNode("disk-bus", busPath(index), port);
        return controller;
    }
    static std::string busPath(int index) {
        return "/pci@0/bridge@" + std::to_string(index) + "/pci1b4b,9230@0/port@0/bus@0";
    }
    void unplugEnclosure(int index) {
        tree.removeNode(
            tree.nodeAtPath("/pci@0/bridge@" + std::to_string(index) + "/pci1b4b,9230@0"));
    }
    // A USB stick: a disk whose bus node two levels up is no RAID controller.
    void addForeignDisk(const std::string& bsdName) {
        if (tree.nodeAtPath("/usb@0") == platform::devices::kNoNode) {
            auto usb = tree.addNode("usb-host", "/usb@0");
            auto hub = tree.addNode("usb-hub", "/usb@0/hub@0", usb);
            tree.addNode("usb-device", "/usb@0/hub@0/device@0", hub);
        }
        tree.addDisk(bsdName, "/usb@0/hub@0/device@0");
    }

    // --- what the window shows
    std::vector<std::string> titles(const platform::PopUpButton& popUp) const {
        std::vector<std::string> result;
        if (popUp.menu()) {
            for (const auto& item : popUp.menu()->items()) {
                result.push_back(item->title());
            }
        }
        return result;
    }
    std::string icon() const {
        const auto& image = ui.statusImage->image();
        return image ? image->path().stem().string() : std::string();
    }
    bool sheetOpen() const { return ui.window->attachedSheet() != nullptr; }
    // The message texts of every alert shown so far, in order.
    std::vector<std::string> alertMessages() const {
        std::vector<std::string> result;
        for (const auto& a : alerts->shown()) {
            result.push_back(a.messageText);
        }
        return result;
    }
    bool updatePending() { return delegate->refresh().updatePending(); }

    // --- library worlds
    // Adapter `a` gets two 2 TB disks (IDs 1 and 2) and, when `mode` >= 0, one
    // volume of that mode over both.
    AppFakeAdapter& enclosureWithVolume(int mode, std::string volumeName = "Duo") {
        auto& a = library->addAdapter();
        AppFakeLibrary::addDisk(a, 1);
        AppFakeLibrary::addDisk(a, 2);
        if (mode >= 0) {
            AppFakeLibrary::addVolume(a, 1, static_cast<MV_U8>(mode), {1, 2},
                                      std::move(volumeName));
        }
        return a;
    }
};
