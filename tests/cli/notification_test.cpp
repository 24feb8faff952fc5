// Desktop notifications through a real session bus, with python3-dbusmock
// playing the desktop's notification daemon.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/desktop_notifier.h"
#include "cli/notification_text.h"
#include "platform/controls/bundle.h"
#include "tests/cli/private_session_bus.h"
#include "tests/cli/sample_events.h"
#include "tests/sim/sim_test_support.h"

namespace {

using cli::testing::degradedMirror;
using ::testing::HasSubstr;

cli::Event rebuildStarted() {
    cli::Event e;
    e.kind = cli::EventKind::RebuildStarted;
    e.subject = "Norvik Duo";
    e.volume = "Norvik Duo";
    e.slot = 1;
    return e;
}

class Notifications : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!bus_.problem().empty()) {
            GTEST_SKIP() << bus_.problem();
        }
    }
    sim::testing::TempWorld dir_;
    cli::testing::PrivateSessionBus bus_{dir_.dir()};
    std::ostringstream err_;
};

TEST_F(Notifications, ADegradedVolumeIsCriticalAndNamesTheDiskToReplace) {
    platform::Bundle english(NORVIK_RESOURCES_DIR, "en");
    platform::Bundle::ScopedMainBundle scope(english);
    cli::DesktopNotifier notifier(err_);
    notifier.notify(degradedMirror());
    notifier.notify(rebuildStarted());

    const auto calls = bus_.notifyCalls(2);
    ASSERT_EQ(calls.size(), 2u) << err_.str();
    EXPECT_THAT(calls[0], HasSubstr("Volume “Norvik Duo” is degraded"));
    EXPECT_THAT(calls[0], HasSubstr("slot 1 (NORVIK ND2T-S, serial number NVD7K30001)"));
    EXPECT_THAT(calls[0], HasSubstr("\"urgency\": 2"));
    EXPECT_THAT(calls[1], HasSubstr("Rebuilding volume “Norvik Duo”"));
    EXPECT_THAT(calls[1], HasSubstr("\"urgency\": 1"));
    EXPECT_EQ(err_.str(), "");
}

TEST_F(Notifications, TheTimeLeftReplacesTheRebuildsMessage) {
    platform::Bundle english(NORVIK_RESOURCES_DIR, "en");
    platform::Bundle::ScopedMainBundle scope(english);
    cli::DesktopNotifier notifier(err_);
    notifier.notify(rebuildStarted());
    cli::Event update = rebuildStarted();
    update.progressUpdate = true;
    update.secondsRemaining = 2 * 3600 + 5 * 60;
    notifier.notify(update);
    cli::Event progress = rebuildStarted();
    progress.kind = cli::EventKind::RebuildProgress;
    progress.progressPercent = 41;
    notifier.notify(progress);

    const auto calls = bus_.notifyCalls(3);
    ASSERT_EQ(calls.size(), 3u) << err_.str();
    // The first message got id 1 from the daemon; the updates replace it.
    EXPECT_THAT(calls[0], HasSubstr("Notify \"Norvik RAID Utility\" 0 "));
    EXPECT_THAT(calls[1], HasSubstr("Notify \"Norvik RAID Utility\" 1 "));
    EXPECT_THAT(calls[1], HasSubstr("about 2 h 5 min left"));
    EXPECT_THAT(calls[2], HasSubstr("Notify \"Norvik RAID Utility\" 1 "));
    EXPECT_THAT(calls[2], HasSubstr("41% copied"));
}

TEST_F(Notifications, AGermanSessionGetsGermanTexts) {
    platform::Bundle german(NORVIK_RESOURCES_DIR, "de_DE");
    platform::Bundle::ScopedMainBundle scope(german);
    cli::DesktopNotifier notifier(err_);
    notifier.notify(degradedMirror());

    const auto calls = bus_.notifyCalls(1);
    ASSERT_EQ(calls.size(), 1u) << err_.str();
    EXPECT_THAT(calls[0], HasSubstr(german.localizedString("NOTIFY_APP_NAME")));
    EXPECT_THAT(calls[0], HasSubstr("Volume „Norvik Duo“ ist beeinträchtigt"));
    EXPECT_THAT(calls[0], HasSubstr("Schacht 1"));
}

TEST(NotificationsWithoutABus, AreReportedAndDoNotStopTheMonitor) {
    const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string previous = saved ? saved : "";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    std::ostringstream err;
    cli::DesktopNotifier notifier(err);
    notifier.notify(degradedMirror());
    EXPECT_THAT(err.str(), HasSubstr("norvik-raid monitor:"));
    if (saved) {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", previous.c_str(), 1);
    } else {
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
}

}  // namespace
