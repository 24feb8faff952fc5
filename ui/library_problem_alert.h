// Tells the user, once at start, that the controller library could not be
// loaded: which file is missing and where it belongs. Without the alert that
// looks exactly like an unplugged enclosure; the device list itself stays as
// it is ("No devices found").
#pragma once

#include <string>

// `problem` as the backend choice words it; nothing is shown when it is empty.
void alertLibraryProblem(const std::string& problem);
