// Change notification shared by every control: the front end mirrors a
// control into a widget by observing it, and tests watch the same signal.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/object.h"

namespace platform {

// What part of a control's state changed.
enum class Change {
    Title,
    Enabled,
    Hidden,
    Items,      // a menu's entries, a matrix's cells, a pop-up's menu
    Selection,  // a pop-up's selected item, a matrix's selected cell, a field's selection
    StringValue,
    Formatter,
    Image,
    ToolTip,
    Visible,
    Sheet,          // a sheet was attached to or detached from a window
    DefaultButton,  // a window's default button cell
    Active,         // the application was activated
    Modal,          // a modal session began or ended
    Terminated,
    Busy,  // the application began or stopped being busy
    Other,
};

class Observable;

namespace detail {
struct ObserverList;
}

// Keeps one observer registered; dropping it (or reset()) unregisters. It
// may outlive the control it observes.
class Observation {
  public:
    Observation() = default;
    Observation(Observation&& other) noexcept;
    Observation& operator=(Observation&& other) noexcept;
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;
    ~Observation();

    void reset();
    bool active() const;

  private:
    friend class Observable;
    Observation(std::weak_ptr<detail::ObserverList> list, std::uint64_t id);
    std::weak_ptr<detail::ObserverList> list_;
    std::uint64_t id_ = 0;
};

class Observable : public Object {
  public:
    using Observer = std::function<void(Observable& sender, Change what)>;

    Observable();
    ~Observable() override;

    // Observers are called in registration order after each state change;
    // one removed during a notification is not called afterwards.
    [[nodiscard]] Observation observe(Observer observer);

  protected:
    void notify(Change what);

  private:
    std::shared_ptr<detail::ObserverList> observers_;
};

}  // namespace platform
