#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/refresh_scheduler.h"
#include "model/model_clock.h"
#include "model/reading_deadline.h"
#include "platform/controls/alert.h"
#include "tests/support/app_harness.h"
#include "ui/health_icon.h"

using testing::ElementsAre;

namespace {

// Rescans and updates are counted by what they ask the library: a rescan asks
// for the adapter count, an update walks the current controller's RAID sets.
class RefreshQueues : public testing::Test {
  protected:
    void SetUp() override {
        h.enclosureWithVolume(MV_LD_MODE_RAID0);
        h.launchAndSettle();
        rescans0 = rescans();
        updates0 = updates();
    }
    int rescans() const { return h.library->count("MV_Adapter_GetCount") - rescans0; }
    int updates() const { return h.library->count("MV_LD_GetInfo") - updates0; }

    AppHarness h;
    int rescans0 = 0;
    int updates0 = 0;
};

TEST_F(RefreshQueues, BurstOfRescansRunsOnceOneSecondAfterTheLast) {
    for (int i = 0; i < 3; ++i) {
        h.delegate->refresh().queueRescanEvent();
        h.advance(0.5);
    }
    EXPECT_EQ(rescans(), 0);
    h.advance(0.499);
    EXPECT_EQ(rescans(), 0);
    h.advance(0.001);
    EXPECT_EQ(rescans(), 1);
    h.advance(10);
    EXPECT_EQ(rescans(), 1);
}

TEST_F(RefreshQueues, ZeroDelayUpdateReplacesAPendingOneSecondUpdate) {
    h.delegate->refresh().queueUpdateEvent(1);
    h.delegate->refresh().queueUpdateEvent(0);
    h.driver.runUntilIdle();
    EXPECT_EQ(updates(), 1);
    h.advance(5);
    EXPECT_EQ(updates(), 1);
}

TEST_F(RefreshQueues, UpdateBurstRunsOnceAfterTheLastRequestsDelay) {
    h.delegate->refresh().queueUpdateEvent(1);
    h.advance(0.9);
    h.delegate->refresh().queueUpdateEvent(1);
    h.advance(0.9);
    EXPECT_EQ(updates(), 0);
    h.advance(0.1);
    EXPECT_EQ(updates(), 1);
}

TEST_F(RefreshQueues, TheTwoQueuesAreIndependent) {
    h.delegate->refresh().queueUpdateEvent(1);
    h.delegate->refresh().queueRescanEvent();  // must not cancel the pending update
    h.advance(1);
    // The update ran, and so did the rescan, which itself updates the view.
    EXPECT_EQ(rescans(), 1);
    EXPECT_EQ(updates(), 2);

    h.delegate->refresh().queueRescanEvent();
    h.delegate->refresh().queueUpdateEvent(0);  // must not cancel the pending rescan
    h.driver.runUntilIdle();
    EXPECT_EQ(updates(), 3);
    h.advance(1);
    EXPECT_EQ(rescans(), 2);
}

// While a modal alert is open only the common modes run: updates yes, rescans no.
TEST_F(RefreshQueues, RescansWaitForTheModalAlertWhileUpdatesRunInside) {
    int rescansInside = -1;
    int updatesInside = -1;
    h.delegate->refresh().queueRescanEvent();
    h.delegate->refresh().queueUpdateEvent(1);
    h.alerts->answerWith([&](const platform::Alert&) {
        h.advance(3);
        rescansInside = rescans();
        updatesInside = updates();
        return platform::kAlertFirstButtonReturn;
    });
    platform::Alert::create()->runModal();

    EXPECT_EQ(rescansInside, 0);
    EXPECT_EQ(updatesInside, 1);
    h.driver.runUntilIdle();
    EXPECT_EQ(rescans(), 1);
}

TEST_F(RefreshQueues, RescansWaitWhileAMenuIsTracked) {
    h.delegate->refresh().queueRescanEvent();
    h.delegate->refresh().queueUpdateEvent(1);
    {
        platform::RunLoop::ModeScope tracking(h.driver.runLoop(), platform::Mode::EventTracking);
        h.advance(2);
        EXPECT_EQ(rescans(), 0);
        EXPECT_EQ(updates(), 1);
    }
    h.driver.runUntilIdle();
    EXPECT_EQ(rescans(), 1);
}

// The timer runs exactly while the current controller has a mirror; its
// ticks refresh only the texts (one status query, no walk).
TEST(RefreshTimer, RunsWhileTheCurrentControllerHasAMirror) {
    AppHarness h;
    auto& a = h.library->addAdapter();
    AppFakeLibrary::addDisk(a, 1);
    AppFakeLibrary::addDisk(a, 2);
    AppFakeLibrary::addDisk(a, 3);
    AppFakeLibrary::addDisk(a, 4);
    AppFakeLibrary::addVolume(a, 1, MV_LD_MODE_RAID1, {1, 2}, "M1");
    AppFakeLibrary::addVolume(a, 2, MV_LD_MODE_RAID1, {3, 4}, "M2");
    h.launchAndSettle();

    ASSERT_NE(h.delegate->refresh().timer(), nullptr);
    EXPECT_TRUE(h.delegate->refresh().timer()->isValid());
    EXPECT_EQ(h.delegate->refresh().timer()->interval(), platform::seconds(10));
    auto first = h.delegate->refresh().timer();

    const int walks = h.library->count("MV_LD_GetInfo");
    const int statusQueries = h.library->count("MV_LD_GetStatus");
    h.advance(10);
    EXPECT_EQ(h.library->count("MV_LD_GetInfo"), walks);
    EXPECT_GT(h.library->count("MV_LD_GetStatus"), statusQueries);

    // One timer, even though two mirrors each started it.
    const int afterOneTick = h.library->count("MV_LD_GetStatus");
    h.advance(10);
    EXPECT_EQ(h.library->count("MV_LD_GetStatus") - afterOneTick, afterOneTick - statusQueries);

    // Ticks also run inside a modal alert.
    h.library->volumes(0)->status = MV_LD_STATUS_DEGRADE;
    h.alerts->answerWith([&](const platform::Alert&) {
        h.advance(10);
        return platform::kAlertFirstButtonReturn;
    });
    platform::Alert::create()->runModal();
    EXPECT_TRUE(h.ui.rebuildButton->isEnabled());

    // The mirrors go: the next update stops the timer for good.
    h.library->adapters[0].volumes.clear();
    h.delegate->refresh().queueUpdateEvent(0);
    h.driver.runUntilIdle();
    EXPECT_FALSE(h.delegate->refresh().timer()->isValid());
    EXPECT_FALSE(first->isValid());
    const int stopped = h.library->count("MV_LD_GetStatus");
    h.advance(60);
    EXPECT_EQ(h.library->count("MV_LD_GetStatus"), stopped);
}

TEST(RefreshTimer, NoTimerForAStripeAndStopBeforeStartIsHarmless) {
    AppHarness h;
    h.delegate->refresh().stopTimer();
    EXPECT_EQ(h.delegate->refresh().timer(), nullptr);
    h.enclosureWithVolume(MV_LD_MODE_RAID0);
    h.launchAndSettle();
    EXPECT_EQ(h.delegate->refresh().timer(), nullptr);
}

// Starting the timer again replaces it: one live timer, one tick per interval.
TEST(RefreshTimer, StartTimerTwiceLeavesOneLiveTimer) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID0);
    h.launchAndSettle();
    h.delegate->refresh().startTimer();
    auto first = h.delegate->refresh().timer();
    h.delegate->refresh().startTimer();
    EXPECT_FALSE(first->isValid());
    ASSERT_NE(h.delegate->refresh().timer(), nullptr);
    EXPECT_TRUE(h.delegate->refresh().timer()->isValid());

    const int before = h.library->count("MV_LD_GetStatus");
    h.advance(10);
    const int perTick = h.library->count("MV_LD_GetStatus") - before;
    EXPECT_GT(perTick, 0);
    h.advance(10);
    EXPECT_EQ(h.library->count("MV_LD_GetStatus") - before, 2 * perTick);
}

// updateDevice sets the configure button and the refresh timer before the
// icon and the texts: by the time the window shows a controller, it is ready.
TEST(UpdateDevice, SetsTheButtonAndTheTimerBeforeTheIconAndTheTexts) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    std::vector<std::string> seen;
    const auto note = [&](const char* what) {
        return [&, what](platform::Observable&, platform::Change) {
            seen.push_back(std::string(what) + (h.ui.configButton->isEnabled() ? " button" : "") +
                           (h.delegate->refresh().timerRunning() ? " timer" : ""));
        };
    };
    const auto icon = h.ui.statusImage->observe(note("icon"));
    const auto texts = h.ui.type->observe(note("texts"));
    h.launchAndSettle();
    ASSERT_FALSE(seen.empty());
    EXPECT_THAT(seen, testing::Each(testing::EndsWith(" button timer")));
    EXPECT_THAT(seen, testing::Contains(testing::StartsWith("icon")));
    EXPECT_THAT(seen, testing::Contains(testing::StartsWith("texts")));
}

// A list that could not be read is asked for again at the next refresh, so
// the window recovers without a plug event.
struct Recovery {
    const char* what;
    const char* failingRead;
    const char* placeholder;  // the device list meanwhile
};

class RecoversAtTheNextRefresh : public testing::TestWithParam<Recovery> {};

TEST_P(RecoversAtTheNextRefresh, WithoutAPlugEvent) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID0);  // a stripe: no timer of its own
    bool failing = true;
    h.library->fault = [&](const std::string& op) -> std::optional<MV_U8> {
        return failing && op == GetParam().failingRead ? std::optional<MV_U8>(1) : std::nullopt;
    };
    h.launchAndSettle();
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre(GetParam().placeholder));
    EXPECT_EQ(h.icon(), kIconWarning);
    EXPECT_TRUE(h.delegate->refresh().timerRunning());

    failing = false;
    h.advance(RefreshScheduler::kRefreshInterval + RefreshScheduler::kRescanDelay);
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre("Norvik Duo Thunderbolt"));
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Duo"));
    EXPECT_EQ(h.icon(), kIconOk);
}

INSTANTIATE_TEST_SUITE_P(
    Reads,
    RecoversAtTheNextRefresh,
    testing::Values(Recovery{"adapterList", "MV_Adapter_GetInfo", "DEVICES_UNREADABLE"},
                    Recovery{"volumeList", "MV_LD_GetInfo", "Norvik Duo Thunderbolt"},
                    Recovery{"volumeStatus", "MV_LD_GetStatus", "Norvik Duo Thunderbolt"}),
    [](const auto& info) { return std::string(info.param.what); });

// With two enclosures the one that needs attention is marked in the list
// without being selected, and the mark follows every refresh.
TEST(TwoEnclosures, TheOneNeedingAttentionIsMarkedWithoutSelectingIt) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1, "First");
    h.enclosureWithVolume(MV_LD_MODE_RAID1, "Second");
    h.launchAndSettle();
    EXPECT_THAT(h.titles(*h.ui.devicePicker),
                ElementsAre("Norvik Duo Thunderbolt #0", "Norvik Duo Thunderbolt #1"));

    h.library->adapters[1].volumes[0].status = MV_LD_STATUS_DEGRADE;
    h.advance(RefreshScheduler::kRefreshInterval);
    EXPECT_THAT(h.titles(*h.ui.devicePicker),
                ElementsAre("Norvik Duo Thunderbolt #0", "Norvik Duo Thunderbolt #1 [attention]"));
    EXPECT_EQ(h.icon(), kIconOk);  // the current one is fine
    EXPECT_EQ(h.ui.devicePicker->indexOfSelectedItem(), 0);

    h.library->adapters[1].volumes[0].status = MV_LD_STATUS_FUNCTIONAL;
    h.advance(RefreshScheduler::kRefreshInterval);
    EXPECT_THAT(h.titles(*h.ui.devicePicker),
                ElementsAre("Norvik Duo Thunderbolt #0", "Norvik Duo Thunderbolt #1"));
}

}  // namespace

namespace {

TEST(RefreshDeadline, EveryRefreshWaitsForTheLibraryAtMostTheReadingTimeoutInAll) {
    AppHarness h;
    std::vector<std::optional<platform::Duration>> budgets;
    const auto note = [&] {
        const auto deadline = readingDeadline();
        budgets.push_back(deadline ? std::optional(*deadline - modelClock().now()) : std::nullopt);
    };
    RefreshScheduler refresh(
        {.scanForControllers = note, .updateDevice = note, .updateInfo = note});
    refresh.queueRescanEvent();
    refresh.queueUpdateEvent(0);
    refresh.startTimer();
    h.advance(RefreshScheduler::kRefreshInterval);
    refresh.stopTimer();

    ASSERT_EQ(budgets.size(), 3u) << "a rescan, an update and a timed refresh";
    for (const auto& budget : budgets) {
        EXPECT_EQ(budget, kDefaultReadingTimeout);
    }
    EXPECT_FALSE(readingDeadline()) << "only while a refresh runs";
}

}  // namespace
