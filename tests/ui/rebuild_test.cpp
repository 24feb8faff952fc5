#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

constexpr auto kFirst = platform::kAlertFirstButtonReturn;
constexpr auto kSecond = platform::kAlertSecondButtonReturn;

class Rebuild : public testing::Test {
  protected:
    // A degraded mirror (volume 1) with its one block on disk 1, and free
    // disks 2..n.
    AppFakeAdapter& degradedMirror(int disks = 3) {
        auto& a = h.library->addAdapter();
        for (int i = 1; i <= disks; ++i) {
            AppFakeLibrary::addDisk(a, static_cast<MV_U16>(i));
        }
        AppFakeLibrary::addVolume(a, 1, MV_LD_MODE_RAID1, {1}, "Mirror").status =
            MV_LD_STATUS_DEGRADE;
        return a;
    }
    void launch() {
        h.launchAndSettle();
        h.library->calls.clear();
        ASSERT_EQ(h.titles(*h.ui.picker).front(), "Mirror");
    }
    void confirm() {
        h.alerts->answer(kSecond);
        h.alerts->answer(kSecond);
    }
    bool press() { return h.ui.rebuildButton->performClick(); }
    // The calls that change or free disks, in order.
    std::vector<std::string> changes() const {
        std::vector<std::string> result;
        for (const auto& c : h.library->calls) {
            for (const char* op : {"MV_LD_Delete", "MV_PD_WipeHDMDD", "MV_LD_StartRebuild",
                                   "MV_LD_BGAControl", "MV_LD_Create"}) {
                if (c.rfind(op, 0) == 0) {
                    result.push_back(c);
                }
            }
        }
        return result;
    }

    AppHarness h;
};

TEST_F(Rebuild, ConfirmedRebuildGoesOntoTheFirstFreeDiskWithTheExactWarnings) {
    degradedMirror();
    launch();
    EXPECT_EQ(h.ui.rebuildButton->title(), "REBUILD");
    confirm();
    EXPECT_TRUE(press());

    ASSERT_EQ(h.alerts->shown().size(), 2u);
    const auto& first = h.alerts->shown()[0];
    EXPECT_EQ(first.messageText, "WARNING1_REBUILD_TITLE");
    EXPECT_EQ(first.informativeText, "WARNING1_REBUILD_BODY DISK_1|DISK_2|DISK_2");
    EXPECT_THAT(first.buttons, ElementsAre("CANCEL", "CONTINUE"));
    const auto& second = h.alerts->shown()[1];
    EXPECT_EQ(second.messageText, "WARNING2_REBUILD_TITLE DISK_2");
    EXPECT_EQ(second.informativeText, "WARNING2_REBUILD_BODY");
    EXPECT_THAT(second.buttons, ElementsAre("CANCEL", "OK"));
    EXPECT_THAT(changes(), ElementsAre("MV_PD_WipeHDMDD(0,2,0)", "MV_LD_StartRebuild(0,1,2)"));

    // No success alert; the refresh shows the rebuild running.
    EXPECT_TRUE(h.updatePending());
    h.driver.runUntilIdle();
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_REBUILDING (0%)");
    EXPECT_EQ(h.ui.rebuildButton->title(), "CANCEL");
}

TEST_F(Rebuild, TheSheetClosesAfterAConfirmedRebuild) {
    degradedMirror();
    launch();
    h.delegate->sheet().configureDevice(nullptr);
    ASSERT_TRUE(h.sheetOpen());
    confirm();
    h.delegate->rebuild().doRebuild(nullptr);
    EXPECT_THAT(changes(), ElementsAre("MV_PD_WipeHDMDD(0,2,0)", "MV_LD_StartRebuild(0,1,2)"));
    EXPECT_FALSE(h.sheetOpen());
    EXPECT_FALSE(h.ui.theSheet->isVisible());
}

TEST_F(Rebuild, APressWhileRebuildingCancelsAtOnce) {
    degradedMirror().volumes[0].rebuilding = true;
    launch();
    h.delegate->sheet().configureDevice(nullptr);
    h.delegate->rebuild().doRebuild(nullptr);
    EXPECT_TRUE(h.sheetOpen()) << "the sheet is not touched";
    EXPECT_TRUE(h.alerts->shown().empty());
    EXPECT_THAT(changes(), ElementsAre("MV_LD_BGAControl(0,1,4)"));
    EXPECT_TRUE(h.updatePending());
}

TEST_F(Rebuild, ACancelThatRaisesStillRefreshes) {
    degradedMirror().volumes[0].rebuilding = true;
    launch();
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_LD_BGAControl") {
            throw std::runtime_error("raised");
        }
        return std::nullopt;
    };
    EXPECT_TRUE(press());
    EXPECT_TRUE(h.updatePending());
    EXPECT_FALSE(h.app().isTerminated());
}

TEST_F(Rebuild, NothingHappensWhenEveryDiskIsAMember) {
    auto& a = h.library->addAdapter();
    AppFakeLibrary::addDisk(a, 1);
    AppFakeLibrary::addDisk(a, 2);
    AppFakeLibrary::addVolume(a, 1, MV_LD_MODE_RAID1, {1, 2}, "Mirror").status =
        MV_LD_STATUS_DEGRADE;
    launch();
    EXPECT_TRUE(press());
    EXPECT_TRUE(h.alerts->shown().empty());
    EXPECT_TRUE(changes().empty());
    EXPECT_FALSE(h.updatePending());
}

// Without a known member the flow cannot tell the survivor from a free
// disk: it must not offer to wipe one.
TEST_F(Rebuild, NothingHappensWhenTheMemberListIsEmpty) {
    degradedMirror();
    launch();
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        return op == "MV_BLK_GetInfo" ? std::optional<MV_U8>(1) : std::nullopt;
    };
    confirm();
    EXPECT_TRUE(press());
    EXPECT_TRUE(h.alerts->shown().empty());
    EXPECT_TRUE(changes().empty());
    EXPECT_FALSE(h.updatePending());
}

struct Refusal {
    std::vector<platform::ModalResponse> answers;
    std::size_t shown;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.answers.size() << " answers";
}

class RebuildRefused : public Rebuild, public testing::WithParamInterface<Refusal> {};

TEST_P(RebuildRefused, ChangesNothingAndClosesTheSheet) {
    auto& a = degradedMirror();
    AppFakeLibrary::addVolume(a, 2, MV_LD_MODE_RAID0, {2}, "Other");
    launch();
    for (auto answer : GetParam().answers) {
        h.alerts->answer(answer);
    }
    h.delegate->sheet().configureDevice(nullptr);
    h.delegate->rebuild().doRebuild(nullptr);
    EXPECT_FALSE(h.sheetOpen());
    EXPECT_EQ(h.alerts->shown().size(), GetParam().shown);
    EXPECT_TRUE(changes().empty());
    EXPECT_FALSE(h.updatePending());
}

INSTANTIATE_TEST_SUITE_P(Answers,
                         RebuildRefused,
                         testing::Values(Refusal{{kFirst}, 1},
                                         Refusal{{platform::kModalResponseAbort}, 1},
                                         Refusal{{kSecond, kFirst}, 2},
                                         Refusal{{kSecond, platform::kModalResponseAbort}, 2}));

TEST_F(Rebuild, ARebuildThatCannotStartShowsItsStatusAndRefreshes) {
    degradedMirror();
    launch();
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        return op == "MV_LD_StartRebuild" ? std::optional<MV_U8>(6) : std::nullopt;
    };
    confirm();
    h.alerts->answer(kFirst);
    press();
    EXPECT_THAT(h.alertMessages(),
                ElementsAre("WARNING1_REBUILD_TITLE", "WARNING2_REBUILD_TITLE DISK_2",
                            "ERROR_REBUILD_TITLE"));
    EXPECT_EQ(h.alerts->shown()[2].informativeText, "ERROR_REBUILD_BODY 6");
    EXPECT_THAT(h.alerts->shown()[2].buttons, ElementsAre("OK"));
    EXPECT_TRUE(h.updatePending());
}

// The deletion that frees the disk is not guarded by the library guard; when
// the library raises there, the flow reports it instead of ending the
// application or starting a rebuild over a disk that may still be in use.
TEST_F(Rebuild, ARaisingDeletionIsReportedAndNoRebuildStarts) {
    auto& a = degradedMirror();
    AppFakeLibrary::addVolume(a, 2, MV_LD_MODE_RAID0, {2}, "Other");
    launch();
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_LD_Delete") {
            throw std::runtime_error("raised");
        }
        return std::nullopt;
    };
    confirm();
    h.alerts->answer(kFirst);
    EXPECT_TRUE(press());

    EXPECT_FALSE(h.app().isTerminated());
    EXPECT_THAT(changes(), ElementsAre("MV_LD_Delete(0,2,1)"));
    EXPECT_EQ(h.alerts->shown().back().informativeText, "ERROR_REBUILD_BODY 255");
    EXPECT_TRUE(h.updatePending());
    h.driver.runUntilIdle();
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_DEGRADE");
}

// Exceptions of other kinds pass every guard; the action dispatch reports
// them and the application carries on.
TEST_F(Rebuild, AnExceptionOfAnotherKindDoesNotEndTheApplication) {
    auto& a = degradedMirror();
    AppFakeLibrary::addVolume(a, 2, MV_LD_MODE_RAID0, {2}, "Other");
    launch();
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_LD_Delete") {
            throw 42;
        }
        return std::nullopt;
    };
    confirm();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(press());
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("escaped"), std::string::npos);
    EXPECT_FALSE(h.app().isTerminated());
    EXPECT_THAT(changes(), ElementsAre("MV_LD_Delete(0,2,1)"));

    // Still working afterwards.
    h.library->fault = nullptr;
    h.delegate->refresh().queueUpdateEvent(0);
    h.driver.runUntilIdle();
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_DEGRADE");
}

// A refresh that runs while a warning is open rebuilds the lists; the flow
// carries on with the set and disk it took before.
TEST_F(Rebuild, ARefreshDuringTheWarningsDoesNotDerailTheFlow) {
    degradedMirror();
    launch();
    h.delegate->refresh().queueUpdateEvent(1);
    h.alerts->answerWith([&](const platform::Alert&) {
        h.advance(1);
        return kSecond;
    });
    h.alerts->answer(kSecond);
    press();
    EXPECT_GT(h.library->count("MV_LD_GetInfo"), 0);
    EXPECT_THAT(changes(), ElementsAre("MV_PD_WipeHDMDD(0,2,0)", "MV_LD_StartRebuild(0,1,2)"));
}

}  // namespace
