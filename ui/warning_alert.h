// The one way the configuration and rebuild flows ask and report: an
// application-modal warning alert.
#pragma once

#include <initializer_list>
#include <string>

#include "model/planned_change.h"
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

// Shows a change's warnings in turn, each with "CANCEL" first; true when
// every one was answered with its second button, and stops at the first that
// was not.
bool confirmChange(const ChangeWarnings& warnings);

// A refusal the user is told about: one "OK" button.
void showRefusal(const ChangeRefusal& refusal);
