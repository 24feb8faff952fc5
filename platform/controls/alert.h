// A modal alert: message, informative text and buttons in the order added.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/modal_response.h"
#include "platform/core/object.h"

namespace platform {

enum class AlertStyle : int {
    Warning = 0,
    Informational = 1,
    Critical = 2,
};

class Alert : public Object {
  public:
    static std::shared_ptr<Alert> create();

    // Returns the button's index; its answer is kAlertFirstButtonReturn + index.
    std::size_t addButtonWithTitle(std::string title);
    const std::vector<std::string>& buttonTitles() const { return buttons_; }

    const std::string& messageText() const { return messageText_; }
    void setMessageText(std::string text) { messageText_ = std::move(text); }
    const std::string& informativeText() const { return informativeText_; }
    void setInformativeText(std::string text) { informativeText_ = std::move(text); }
    AlertStyle alertStyle() const { return style_; }
    void setAlertStyle(AlertStyle style) { style_ = style; }

    // Runs application-modally through the shared application's presenter,
    // with the run loop in ModalPanel mode, and answers the pressed button
    // (1000 + its index), or kModalResponseAbort when the session was aborted
    // or no presenter is installed. An alert without buttons gets "OK".
    ModalResponse runModal();

  protected:
    Alert() = default;

  private:
    std::vector<std::string> buttons_;
    std::string messageText_;
    std::string informativeText_;
    AlertStyle style_ = AlertStyle::Warning;
};

}  // namespace platform
