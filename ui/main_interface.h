// The main window and the configuration sheet, built in code: every outlet
// control of the delegate plus the captions, in their initial state. The Qt
// front end builds the same interface and binds each control to the widget
// whose object name is the outlet's name; tests run it headless.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls/button.h"
#include "platform/controls/image_view.h"
#include "platform/controls/matrix.h"
#include "platform/controls/pop_up_button.h"
#include "platform/controls/text_field.h"
#include "platform/controls/window.h"

class AppDelegate;

struct MainInterface {
    // Main window.
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::ImageView> statusImage;
    std::shared_ptr<platform::PopUpButton> devicePicker;
    std::shared_ptr<platform::PopUpButton> picker;
    std::shared_ptr<platform::TextField> type;
    std::shared_ptr<platform::TextField> capacity;
    std::shared_ptr<platform::TextField> status;
    std::shared_ptr<platform::TextField> disksLabel;
    std::shared_ptr<platform::TextField> disks;
    std::shared_ptr<platform::Button> unmountButton;
    std::shared_ptr<platform::Button> rebuildButton;
    std::shared_ptr<platform::Button> configButton;

    // Configuration sheet.
    std::shared_ptr<platform::Panel> theSheet;
    std::shared_ptr<platform::Matrix> raidPicker;
    std::shared_ptr<platform::TextField> name;
    std::shared_ptr<platform::Button> cancelButton;
    std::shared_ptr<platform::Button> configNowButton;

    static MainInterface build();

    // Sets every outlet of `delegate` and wires each control's action to it.
    void connect(AppDelegate& delegate) const;

    // Every outlet by its name, in the delegate's declaration order.
    std::vector<std::pair<std::string, platform::ObjectPtr>> outlets() const;
};
