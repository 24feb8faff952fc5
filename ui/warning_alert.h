// The one way the configuration and rebuild flows ask and report: an
// application-modal warning alert.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/controls/modal_response.h"

// Buttons are given by string-table key, in order (the first answers 1000
// and is the default); the texts are shown as given.
platform::ModalResponse runWarningAlert(std::initializer_list<const char*> buttonKeys,
                                        const std::string& messageText,
                                        const std::string& informativeText);

// The same for news that needs no caution (a change that went well).
platform::ModalResponse runInformationalAlert(std::initializer_list<const char*> buttonKeys,
                                              const std::string& messageText,
                                              const std::string& informativeText);
