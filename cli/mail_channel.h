// --mail ADDRESS: each event as a mail through the system's sendmail (`-t`:
// the recipients are read from the message). The subject names the host, the
// event and the volume; the body says what happened and gives the whole
// status text. A mail that could not be handed over is said on stderr and
// sent again with the next event; a failure never stops the monitor.
#pragma once

#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/child_queue.h"
#include "cli/enclosure_reading.h"
#include "cli/monitor_events.h"

namespace cli {

inline constexpr const char* kDefaultSendmail = "/usr/sbin/sendmail";

// The whole message sendmail -t reads: headers, a blank line, the body.
std::string mailMessage(const std::vector<std::string>& recipients,
                        const std::string& host,
                        const Event& event,
                        const std::string& statusText);

// A header value as RFC 2047 wants it when it is not plain ASCII.
std::string encodedHeaderText(const std::string& text);

// Whether `address` can stand in a To: header as one address.
bool plausibleMailAddress(const std::string& address);

class MailChannel {
  public:
    // At most this many unsent mails are kept for the next try.
    static constexpr std::size_t kMaxKept = 20;

    MailChannel(std::vector<std::string> recipients,
                std::string sendmail,
                platform::RunLoop& loop,
                std::ostream& err,
                platform::Duration limit = ChildQueue::kDefaultLimit);

    // `reading`: what the body's status text describes.
    void send(const Event& event, const EnclosureReading& reading);
    ChildQueue& queue() { return queue_; }

  private:
    struct Mail {
        std::string about;  // the event line, for messages
        std::string message;
    };
    void handOver(Mail mail);

    std::vector<std::string> recipients_;
    std::string sendmail_;
    std::ostream& err_;
    std::string host_;
    std::deque<Mail> unsent_;
    ChildQueue queue_;
};

}  // namespace cli
