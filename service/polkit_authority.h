// Asks polkit, over the bus the caller came on, whether the caller may run
// one action: CheckAuthorization on org.freedesktop.PolicyKit1 with the
// caller's unique bus name as the subject. Interactive when the caller's
// message allows it, so the desktop's agent can ask for a password.
#pragma once

#include <systemd/sd-bus.h>

#include <string>

namespace service {

struct Authorization {
    bool allowed = false;
    std::string why;  // when refused: polkit's answer or why it could not be asked
};

Authorization checkAuthorization(sd_bus_message* call, const char* action);

}  // namespace service
