// What planning a change of the enclosure yields: the change, ready to be
// confirmed and executed, or the reason it cannot be made. Shared by every
// front end, so the window and the command line refuse for the same reasons
// and ask the same questions.
#pragma once

#include <utility>
#include <variant>
#include <vector>

#include "model/localized_text.h"

// One question asked before a change: an alert in the window, a prompt on
// the terminal. Its buttons are "CANCEL" and then `goOnButton`.
struct ChangeWarning {
    LocalizedText message;
    LocalizedText information;
    const char* goOnButton = "OK";
};

using ChangeWarnings = std::vector<ChangeWarning>;

struct ChangeRefusal {
    enum class Reason {
        NeedsTwoDisks,      // a RAID layout on a controller with fewer than two disks
        NoKnownMember,      // the volume's surviving disk cannot be told apart
        NoReplacementDisk,  // every disk already belongs to the volume
        NotRebuilding,      // there is no rebuild to cancel
    };
    Reason reason;
    LocalizedText message;
    LocalizedText information;
};

template <class Change>
class Planned {
  public:
    Planned(Change change) : plan_(std::move(change)) {}           // NOLINT
    Planned(ChangeRefusal refusal) : plan_(std::move(refusal)) {}  // NOLINT

    explicit operator bool() const { return std::holds_alternative<Change>(plan_); }
    const Change& operator*() const { return std::get<Change>(plan_); }
    const Change* operator->() const { return &std::get<Change>(plan_); }
    const ChangeRefusal& refusal() const { return std::get<ChangeRefusal>(plan_); }

  private:
    std::variant<Change, ChangeRefusal> plan_;
};
