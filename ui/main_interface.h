// The main window and the configuration sheet, built in code: every outlet
// control plus the captions, in their initial state. The outlets are declared
// once, in NORVIK_OUTLETS; the delegate's parts take their controls from here
// and the Qt front end binds each control to the widget whose object name is
// the outlet's name. Tests run it headless.
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

// X(control type, outlet name), in the delegate's declaration order.
#define NORVIK_OUTLETS(X)        \
    X(Panel, theSheet)           \
    X(Button, cancelButton)      \
    X(Button, configNowButton)   \
    X(Window, window)            \
    X(PopUpButton, devicePicker) \
    X(TextField, name)           \
    X(Matrix, raidPicker)        \
    X(ImageView, statusImage)    \
    X(PopUpButton, picker)       \
    X(TextField, type)           \
    X(TextField, capacity)       \
    X(TextField, status)         \
    X(TextField, disks)          \
    X(TextField, disksLabel)     \
    X(Button, unmountButton)     \
    X(Button, rebuildButton)     \
    X(Button, configButton)

struct MainInterface {
#define NORVIK_OUTLET_MEMBER(Type, outlet) std::shared_ptr<platform::Type> outlet;
    NORVIK_OUTLETS(NORVIK_OUTLET_MEMBER)
#undef NORVIK_OUTLET_MEMBER

    static MainInterface build();

    // Every outlet by its name, in declaration order.
    std::vector<std::pair<std::string, platform::ObjectPtr>> outlets() const;
};
