#include "cli/mail_channel.h"

#include <unistd.h>

#include <climits>
#include <ostream>

#include "cli/event_line.h"
#include "cli/notification_text.h"
#include "cli/status_report.h"
#include "cli/texts.h"
#include "platform/text/printable.h"

namespace cli {

namespace {

std::string base64(const std::string& bytes) {
    static const char* const kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], kDigits[(n >> 6) & 63], kDigits[n & 63]};
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                           (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0u);
        out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], two ? kDigits[(n >> 6) & 63] : '=', '='};
    }
    return out;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return "localhost";
    }
    return platform::printable(name);
}

}  // namespace

std::string encodedHeaderText(const std::string& text) {
    const std::string shown = platform::printable(text);
    for (const char c : shown) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return "=?UTF-8?B?" + base64(shown) + "?=";
        }
    }
    return shown;
}

bool plausibleMailAddress(const std::string& address) {
    if (address.empty() || address.front() == '-') {
        return false;
    }
    for (const char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f || c == ',' || c == ';' || c == '<' || c == '>' || c == '"' ||
            c == '(' || c == ')' || c == '\\') {
            return false;
        }
    }
    return true;
}

std::string mailMessage(const std::vector<std::string>& recipients,
                        const std::string& host,
                        const Event& event,
                        const std::string& statusText) {
    std::string to;
    for (const std::string& r : recipients) {
        to += (to.empty() ? "" : ", ") + r;
    }
    const NotificationText words = notificationFor(event);
    std::string message;
    message += "To: " + to + "\n";
    message +=
        "Subject: " +
        encodedHeaderText(text("MAIL_SUBJECT", {host, eventName(event.kind), event.subject})) +
        "\n";
    message += "MIME-Version: 1.0\n";
    message += "Content-Type: text/plain; charset=UTF-8\n";
    message += "Content-Transfer-Encoding: 8bit\n";
    message += "Auto-Submitted: auto-generated\n";
    message += "X-Norvik-RAID-Event: " + std::string(eventName(event.kind)) + "\n";
    message += "\n";
    message +=
        platform::printable(words.summary) + "\n\n" + platform::printable(words.body) + "\n\n";
    message += eventLine(event) + "\n\n";
    message += text("MAIL_STATUS_HEADING") + "\n\n" + statusText;
    if (message.back() != '\n') {
        message += "\n";
    }
    return message;
}

MailChannel::MailChannel(std::vector<std::string> recipients,
                         std::string sendmail,
                         platform::RunLoop& loop,
                         std::ostream& err,
                         platform::Duration limit)
    : recipients_(std::move(recipients)),
      sendmail_(std::move(sendmail)),
      err_(err),
      host_(hostName()),
      queue_(loop, limit) {}

void MailChannel::send(const Event& event, const EnclosureReading& reading) {
    if (event.progressUpdate) {
        return;
    }
    // What failed before goes first, so the mails arrive in order.
    std::deque<Mail> due = std::move(unsent_);
    unsent_.clear();
    due.push_back({eventLine(event), mailMessage(recipients_, host_, event,
                                                 statusText(reading, judgeEnclosure(reading)))});
    for (Mail& mail : due) {
        handOver(std::move(mail));
    }
}

void MailChannel::handOver(Mail mail) {
    ChildCommand command;
    command.argv = {sendmail_, "-t", "-oi"};
    command.input = mail.message;
    command.done = [this, mail](const ChildOutcome& outcome) {
        if (outcome.succeeded()) {
            return;
        }
        std::string why;
        switch (outcome.kind) {
            case ChildOutcome::Kind::NotStarted:
                why = outcome.error;
                break;
            case ChildOutcome::Kind::TimedOut:
                why = "timed out";
                break;
            case ChildOutcome::Kind::Signalled:
                why = "signal " + std::to_string(outcome.code);
                break;
            case ChildOutcome::Kind::Exited:
                why = "exit status " + std::to_string(outcome.code);
                break;
        }
        err_ << "norvik-raid monitor: " << text("CLI_MAIL_NOT_SENT", {mail.about, why}) << "\n";
        unsent_.push_back(mail);
        if (unsent_.size() > kMaxKept) {
            const auto dropped = static_cast<long long>(unsent_.size() - kMaxKept);
            unsent_.erase(unsent_.begin(), unsent_.begin() + static_cast<long>(dropped));
            err_ << "norvik-raid monitor: " << text("CLI_MAIL_DROPPED", {dropped}) << "\n";
        }
    };
    queue_.enqueue(std::move(command));
}

}  // namespace cli
