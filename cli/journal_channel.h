// The systemd journal as a channel of the monitor: each event is one entry
// with a MESSAGE_ID per kind (explained in the catalog shipped beside the
// program, so that `journalctl -x` says what to do), a PRIORITY by its
// gravity and fields naming the controller, volume and disk, so that
// entries can be matched without parsing text.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/monitor_events.h"

namespace cli {

// The 128-bit ID of the kind's catalog entry, as 32 hexadecimal digits.
const char* journalMessageId(EventKind kind);
// syslog's levels: 2 critical, 4 warning, 5 notice.
int journalPriority(EventKind kind);

struct JournalField {
    std::string name;
    std::string value;
};
// MESSAGE, MESSAGE_ID, PRIORITY, SYSLOG_IDENTIFIER and the NORVIK_RAID_* fields.
std::vector<JournalField> journalFields(const Event& event);

class JournalChannel {
  public:
    explicit JournalChannel(std::ostream& err) : err_(err) {}

    void send(const Event& event);

  private:
    std::ostream& err_;
    bool failureTold_ = false;  // said once, not at every event
};

}  // namespace cli
