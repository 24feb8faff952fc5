// Mail through sendmail -t: the message, its header encoding, and a fake
// sendmail that records what it was handed, also when it refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "cli/mail_channel.h"
#include "cli/status_report.h"
#include "platform/controls/bundle.h"
#include "platform/runloop/virtual_time_driver.h"
#include "tests/cli/child_wait.h"
#include "tests/cli/sample_events.h"
#include "tests/sim/sim_test_support.h"

namespace {

using cli::testing::awaitUntil;
using cli::testing::degradedMirror;
using ::testing::HasSubstr;

TEST(MailHeaders, PlainTextStaysAndTheRestIsEncodedWhole) {
    const std::pair<const char*, const char*> cases[] = {
        {"[host] volume-degraded Backup", "[host] volume-degraded Backup"},
        {"[host] volume-degraded Daten “Ä”",
         "=?UTF-8?B?W2hvc3RdIHZvbHVtZS1kZWdyYWRlZCBEYXRlbiDigJzDhOKAnQ==?="},
        {"forged\nBcc: x@y", "forged\\x0ABcc: x@y"},  // no second header line
        {"ü", "=?UTF-8?B?w7w=?="},
        {"üü", "=?UTF-8?B?w7zDvA==?="},
    };
    for (const auto& [text, header] : cases) {
        EXPECT_EQ(cli::encodedHeaderText(text), header) << text;
    }
}

TEST(MailAddresses, OneAddressAndNothingThatCouldChangeTheHeaders) {
    const std::pair<const char*, bool> cases[] = {
        {"root", true},
        {"admin@example.org", true},
        {"", false},
        {"a@b, c@d", false},
        {"a@b\nBcc: x", false},
        {"-oQ/tmp", false},
        {"\"x\"@example", false},
        {"a b@c", false},
    };
    for (const auto& [address, plausible] : cases) {
        EXPECT_EQ(cli::plausibleMailAddress(address), plausible) << address;
    }
}

class Mail : public ::testing::Test {
  protected:
    Mail() {
        ::setenv("RECORD_FILE", record_.c_str(), 1);
        VolumeReading volume;
        volume.id = 1;
        volume.name = "Norvik Duo";
        volume.status = 1;
        volume.memberSlots = {0};
        ControllerReading controller;
        controller.volumes = {volume};
        reading_.controllers = {controller};
    }
    ~Mail() override {
        ::unsetenv("RECORD_FILE");
        ::unsetenv("MAIL_EXIT");
    }
    std::string record() const {
        std::ifstream in(record_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    cli::MailChannel channel(std::vector<std::string> to = {"root", "admin@example.org"}) {
        return cli::MailChannel(std::move(to), NORVIK_TEST_SCRIPTS_DIR "/record-mail",
                                driver_.runLoop(), err_);
    }

    sim::testing::TempWorld dir_;
    std::filesystem::path record_ = dir_.dir() / "record";
    platform::VirtualTimeDriver driver_;
    platform::Bundle strings_{NORVIK_RESOURCES_DIR, "en"};
    platform::Bundle::ScopedMainBundle stringsScope_{strings_};
    EnclosureReading reading_;
    std::ostringstream err_;
};

TEST_F(Mail, SendmailGetsOneMessageWithRecipientsSubjectAndTheStatusText) {
    cli::MailChannel mail = channel();
    mail.send(degradedMirror("Norvik Duo"), reading_);
    ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return mail.queue().idle(); }));
    const std::string sent = record();
    EXPECT_THAT(sent, ::testing::StartsWith("ARGS -t -oi\nTo: root, admin@example.org\n"));
    EXPECT_TRUE(std::regex_search(
        sent, std::regex(R"(\nSubject: \[[^\]\n]+\] volume-degraded Norvik Duo\n)")))
        << sent;
    EXPECT_THAT(sent, HasSubstr("\nAuto-Submitted: auto-generated\n"));
    EXPECT_THAT(sent, HasSubstr("Content-Type: text/plain; charset=UTF-8\n"));
    const std::string body = sent.substr(sent.find("\n\n") + 2);
    EXPECT_THAT(body, HasSubstr("Volume “Norvik Duo” is degraded"));
    EXPECT_THAT(body, HasSubstr("slot 1 (NORVIK ND2T-S, serial number NVD7K30001)"));
    EXPECT_THAT(body, HasSubstr(cli::statusText(reading_, judgeEnclosure(reading_))));
    EXPECT_EQ(err_.str(), "");
}

TEST_F(Mail, ARefusedMailIsSaidAndSentAgainBeforeTheNextOne) {
    cli::MailChannel mail = channel({"root"});
    ::setenv("MAIL_EXIT", "75", 1);
    mail.send(degradedMirror("First"), reading_);
    ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return mail.queue().idle(); }));
    EXPECT_THAT(err_.str(),
                HasSubstr("the mail about volume-degraded First slot 1, NORVIK ND2T-S, serial "
                          "NVD7K30001 was not sent (exit "
                          "status 75); it is tried again with the next event"));

    ::unsetenv("MAIL_EXIT");
    std::filesystem::remove(record_);
    mail.send(degradedMirror("Second"), reading_);
    ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return mail.queue().idle(); }));
    const std::string sent = record();
    const auto first = sent.find("volume-degraded First");
    const auto second = sent.find("volume-degraded Second");
    ASSERT_NE(first, std::string::npos) << sent;
    ASSERT_NE(second, std::string::npos) << sent;
    EXPECT_LT(first, second);

    // Sent now: not sent a third time.
    std::filesystem::remove(record_);
    mail.send(degradedMirror("Third"), reading_);
    ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return mail.queue().idle(); }));
    EXPECT_THAT(record(), ::testing::Not(HasSubstr("First")));
}

TEST_F(Mail, WithoutASendmailNothingStopsAndOnlyTheNewestAreKept) {
    cli::MailChannel mail({"root"}, "/nonexistent/sendmail", driver_.runLoop(), err_);
    for (std::size_t i = 0; i < cli::MailChannel::kMaxKept + 3; ++i) {
        mail.send(degradedMirror("V" + std::to_string(i)), reading_);
        ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return mail.queue().idle(); }));
    }
    EXPECT_THAT(err_.str(), HasSubstr("older mails that could not be sent were dropped"));
    EXPECT_THAT(err_.str(), HasSubstr("No such file"));
}

}  // namespace
