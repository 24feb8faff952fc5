// Asks polkit, over the bus the caller came on, whether the caller may run
// one action: CheckAuthorization on org.freedesktop.PolicyKit1 with the
// caller's unique bus name as the subject. Interactive when the caller's
// message allows it, so the desktop's agent can ask for a password. The
// question is asynchronous: the service's loop goes on serving while polkit
// (or the user typing a password) takes its time.
#pragma once

#include <systemd/sd-bus.h>

#include <string>

#include "platform/sdbus/bus_handles.h"

namespace service {

struct Authorization {
    bool allowed = false;
    std::string why;  // when refused: polkit's answer or why it could not be asked
};

// Sends the question about `call`; polkit's answer (or the bus's error)
// reaches `answered` with `userdata` for as long as `question` is kept.
// Returns a negative errno when the question could not be sent.
int askAuthorization(sd_bus_message* call,
                     const char* action,
                     sd_bus_message_handler_t answered,
                     void* userdata,
                     platform::bus::SlotPtr& question);

// The verdict in polkit's answer, or the refusal an error answer means.
Authorization readAuthorization(sd_bus_message* answer);

}  // namespace service
