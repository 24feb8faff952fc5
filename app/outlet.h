// Outlets are plain pointers to controls that the interface owns through
// shared pointers; some platform calls want the shared pointer back.
#pragma once

#include <memory>

template <class Control>
std::shared_ptr<Control> sharedOutlet(Control* control) {
    if (!control) {
        return nullptr;
    }
    return std::static_pointer_cast<Control>(control->shared_from_this());
}
