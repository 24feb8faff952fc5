#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/controls/notification_center.h"
#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

TEST(Startup, RunsInOrderAndFillsTheWindowOnlyAtTheFirstRescan) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    const auto observersBefore = platform::NotificationCenter::defaultCenter().observerCount();
    // The library comes first: nothing else of start-up has happened yet.
    bool anythingBeforeLibrary = true;
    h.library->fault = [&](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_API_Initialize") {
            anythingBeforeLibrary = h.ui.name->formatter() != nullptr ||
                                    h.delegate->enclosure().notificationObject() != nullptr ||
                                    h.delegate->enclosure().diskArrivalSession() != nullptr ||
                                    h.ui.theSheet->defaultButtonCell() != nullptr;
        }
        return std::nullopt;
    };

    h.launch();
    EXPECT_FALSE(anythingBeforeLibrary);

    // The library is initialised and rescanned, and asked nothing else yet.
    EXPECT_THAT(h.library->calls, ElementsAre("MV_API_Initialize", "MV_API_RescanAdapter"));
    EXPECT_TRUE(h.delegate->devices().controllers().empty());
    EXPECT_EQ(h.delegate->devices().fController(), nullptr);
    EXPECT_EQ(platform::NotificationCenter::defaultCenter().observerCount(), observersBefore + 1);
    ASSERT_NE(h.delegate->sheet().formatter(), nullptr);
    EXPECT_EQ(h.delegate->sheet().formatter()->maxLength(), 15);
    EXPECT_EQ(h.ui.name->formatter(), h.delegate->sheet().formatter());
    ASSERT_NE(h.delegate->enclosure().notificationObject(), nullptr);
    ASSERT_NE(h.delegate->enclosure().notificationRunLoopSource(), nullptr);
    EXPECT_TRUE(h.driver.runLoop().containsSource(
        h.delegate->enclosure().notificationRunLoopSource().get()));
    EXPECT_NE(h.delegate->enclosure().publishIterator(), platform::devices::kNoHandle);
    EXPECT_NE(h.delegate->enclosure().publishIterator2(), platform::devices::kNoHandle);
    ASSERT_NE(h.delegate->enclosure().diskArrivalSession(), nullptr);
    EXPECT_TRUE(h.delegate->enclosure().diskArrivalSession()->isScheduled());
    EXPECT_EQ(h.ui.theSheet->defaultButtonCell(), h.ui.cancelButton->cell());
    EXPECT_TRUE(h.delegate->refresh().rescanPending());

    h.advance(0.999);
    EXPECT_EQ(h.library->count("MV_Adapter_GetCount"), 0);
    EXPECT_TRUE(h.titles(*h.ui.devicePicker).empty());

    h.advance(0.001);
    EXPECT_EQ(h.library->count("MV_Adapter_GetCount"), 1);
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre("Norvik Duo Thunderbolt"));
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Duo"));
}

// A library that fails or raises at start-up must not keep the window, the
// notifications and the first rescan from coming up.
class StartupLibraryFault : public testing::TestWithParam<const char*> {};

TEST_P(StartupLibraryFault, DoesNotStopStartup) {
    const std::string mode = GetParam();
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID0);
    h.library->fault = [&](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_API_Initialize") {
            if (mode == "raise") {
                throw std::runtime_error("library raised");
            }
            return 1;
        }
        return std::nullopt;
    };

    h.launchAndSettle();

    if (mode == "raise") {
        // The rescan that shared the guard with the initialisation is skipped.
        EXPECT_EQ(h.library->calls.front(), "MV_API_Initialize");
        EXPECT_EQ(h.library->calls.at(1), "MV_API_RescanAdapter");  // the first rescan's own
        EXPECT_EQ(h.library->count("MV_API_RescanAdapter"), 1);
    } else {
        EXPECT_EQ(h.library->count("MV_API_RescanAdapter"), 2);
    }
    EXPECT_NE(h.delegate->enclosure().notificationObject(), nullptr);
    EXPECT_EQ(h.ui.name->formatter(), h.delegate->sheet().formatter());
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre("Norvik Duo Thunderbolt"));
}

INSTANTIATE_TEST_SUITE_P(Faults, StartupLibraryFault, testing::Values("status", "raise"));

TEST(Startup, WithoutDiskArrivalSessionTheRestStillWorks) {
    AppHarness h;
    h.delegate->enclosure().createDiskArrivalSession = [] {
        return platform::devices::DiskArrivalSessionRef();
    };
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.plugEnclosure(0);
    h.tree.addDisk("disk4", AppHarness::busPath(0));

    h.launchAndSettle();
    EXPECT_EQ(h.delegate->enclosure().diskArrivalSession(), nullptr);
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre("Norvik Duo Thunderbolt"));
    const int walks = h.library->count("MV_LD_GetInfo");

    // Disk events go unobserved ...
    h.tree.removeDisk("disk4");
    h.advance(5);
    EXPECT_EQ(h.library->count("MV_LD_GetInfo"), walks);

    // ... while the "Marvell" notification, the registry and the timer still work.
    platform::NotificationCenter::defaultCenter().post("Marvell");
    h.advance(1);
    EXPECT_GT(h.library->count("MV_LD_GetInfo"), walks);
    h.unplugEnclosure(0);
    const int rescans = h.library->count("MV_Adapter_GetCount");
    h.advance(1);
    EXPECT_EQ(h.library->count("MV_Adapter_GetCount"), rescans + 1);
}

TEST(Startup, MarvellNotificationFromAnySenderQueuesAOneSecondUpdate) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID0);
    h.launchAndSettle();
    const int walks = h.library->count("MV_LD_GetInfo");

    auto sender = std::make_shared<platform::Object>();
    platform::NotificationCenter::defaultCenter().post("Marvell", sender.get());
    platform::NotificationCenter::defaultCenter().post("Marvell");
    h.advance(0.999);
    EXPECT_EQ(h.library->count("MV_LD_GetInfo"), walks);
    h.advance(0.001);
    EXPECT_EQ(h.library->count("MV_LD_GetInfo"), walks + 1);
}

TEST(Shutdown, FinalizesThenTearsDownTheRegistryNotifications) {
    AppHarness h;
    h.launchAndSettle();
    auto source = h.delegate->enclosure().notificationRunLoopSource();
    h.library->calls.clear();
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_API_Finalize") {
            throw std::runtime_error("raised at exit");
        }
        return std::nullopt;
    };

    h.app().terminate(nullptr);

    EXPECT_THAT(h.library->calls, ElementsAre("MV_API_Finalize"));
    EXPECT_EQ(h.delegate->enclosure().publishIterator(), platform::devices::kNoHandle);
    EXPECT_EQ(h.delegate->enclosure().publishIterator2(), platform::devices::kNoHandle);
    EXPECT_EQ(h.delegate->enclosure().notificationRunLoopSource(), nullptr);
    EXPECT_EQ(h.delegate->enclosure().notificationObject(), nullptr);
    EXPECT_FALSE(h.driver.runLoop().containsSource(source.get()));
    // Nothing else is torn down: the disk-arrival session stays.
    EXPECT_TRUE(h.delegate->enclosure().diskArrivalSession()->isScheduled());

    // A second tear-down finds nothing to release.
    h.delegate->enclosure().unregisterForNotifications();
    EXPECT_EQ(h.tree.liveHandleCount(), 0u);
}

TEST(Shutdown, ClosingTheMainWindowQuits) {
    AppHarness h;
    h.launchAndSettle();
    h.ui.window->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(h.delegate->applicationShouldTerminateAfterLastWindowClosed(h.app()));

    h.ui.window->close();

    EXPECT_TRUE(h.app().isTerminated());
    EXPECT_EQ(h.library->count("MV_API_Finalize"), 1);
}

}  // namespace
