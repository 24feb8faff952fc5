#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

constexpr auto kFirst = platform::kAlertFirstButtonReturn;
constexpr auto kSecond = platform::kAlertSecondButtonReturn;

// The sheet's matrix rows: RAID 0, RAID 1, individual disks.
int rowOf(int layout) {
    return layout - 1;
}

class Configuration : public testing::Test {
  protected:
    void launchWith(int disks, bool withVolume = false) {
        auto& a = h.library->addAdapter();
        for (int i = 1; i <= disks; ++i) {
            AppFakeLibrary::addDisk(a, static_cast<MV_U16>(i));
        }
        if (withVolume) {
            AppFakeLibrary::addVolume(a, 1, MV_LD_MODE_RAID0, {1, 2}, "Old");
        }
        h.launchAndSettle();
        h.library->calls.clear();
    }
    void openSheetWith(int layout) {
        ASSERT_TRUE(h.ui.configButton->performClick());
        ASSERT_TRUE(h.sheetOpen());
        h.ui.raidPicker->userSelectCellAtIndex(rowOf(layout));
    }
    std::string createdName() const {
        return std::string(reinterpret_cast<const char*>(h.library->lastCreate.Name),
                           strnlen(reinterpret_cast<const char*>(h.library->lastCreate.Name), 16));
    }

    AppHarness h;
};

// --- the sheet

TEST_F(Configuration, OpeningShowsTheDefaultNameEveryTime) {
    launchWith(2);
    openSheetWith(AppDelegate::kLayoutRAID1);
    EXPECT_EQ(h.ui.name->stringValue(), "DEFAULTNAME");
    EXPECT_EQ(h.ui.theSheet->sheetParent(), h.ui.window);
    h.ui.name->setStringValue("Typed");
    h.ui.cancelButton->performClick();
    EXPECT_FALSE(h.sheetOpen());
    EXPECT_FALSE(h.ui.theSheet->isVisible());
    h.ui.configButton->performClick();
    EXPECT_EQ(h.ui.name->stringValue(), "DEFAULTNAME");
}

TEST_F(Configuration, LayoutChoiceAndNameStatePersistAcrossOpenings) {
    launchWith(2);
    openSheetWith(AppDelegate::kLayoutIndividualDisks);
    EXPECT_FALSE(h.ui.name->isEnabled());
    h.ui.cancelButton->performClick();
    h.ui.configButton->performClick();
    EXPECT_EQ(h.ui.raidPicker->selectedTag(), AppDelegate::kLayoutIndividualDisks);
    EXPECT_FALSE(h.ui.name->isEnabled());

    h.ui.name->setStringValue("Kept");
    h.ui.raidPicker->userSelectCellAtIndex(rowOf(AppDelegate::kLayoutRAID0));
    EXPECT_TRUE(h.ui.name->isEnabled());
    EXPECT_EQ(h.ui.name->stringValue(), "Kept");
}

TEST_F(Configuration, CancelWhileClosedHasNoEffectAndReturnCancels) {
    launchWith(2);
    h.ui.cancelButton->performClick();
    EXPECT_FALSE(h.sheetOpen());
    EXPECT_FALSE(h.ui.theSheet->isVisible());

    openSheetWith(AppDelegate::kLayoutRAID1);
    EXPECT_TRUE(h.ui.theSheet->performDefaultButtonClick());
    EXPECT_FALSE(h.sheetOpen());
    EXPECT_TRUE(h.alerts->shown().empty());
}

TEST_F(Configuration, TypingIsCutToFifteenCharacters) {
    launchWith(2);
    openSheetWith(AppDelegate::kLayoutRAID1);
    h.ui.name->setStringValue("0123456789");
    h.ui.name->userReplaceCharacters({10, 0}, "abcdefghij");
    EXPECT_EQ(h.ui.name->stringValue(), "0123456789abcde");
    EXPECT_EQ(h.ui.name->selectedRange(), (platform::TextRange{15, 0}));
}

// --- volume creation

TEST_F(Configuration, ARAIDLayoutWithOneDiskAsksForTwoAndChangesNothing) {
    launchWith(1);
    for (int layout : {AppDelegate::kLayoutRAID0, AppDelegate::kLayoutRAID1}) {
        if (!h.sheetOpen()) {
            openSheetWith(layout);
        } else {
            h.ui.raidPicker->userSelectCellAtIndex(rowOf(layout));
        }
        h.alerts->answer(kFirst);
        h.ui.configNowButton->performClick();
        EXPECT_TRUE(h.sheetOpen());
    }
    EXPECT_THAT(h.alertMessages(),
                ElementsAre("ERROR_NEEDTWODISKS_TITLE", "ERROR_NEEDTWODISKS_TITLE"));
    EXPECT_EQ(h.alerts->shown()[0].informativeText, "ERROR_NEEDTWODISKS_BODY");
    EXPECT_THAT(h.alerts->shown()[0].buttons, ElementsAre("OK"));
    EXPECT_TRUE(h.library->calls.empty());
    EXPECT_FALSE(h.updatePending());
}

TEST_F(Configuration, IndividualDisksWithOneDiskSkipsTheCheckAndSucceeds) {
    launchWith(1);
    openSheetWith(AppDelegate::kLayoutIndividualDisks);
    h.alerts->answer(kSecond);
    h.alerts->answer(kSecond);
    h.alerts->answer(kFirst);
    h.ui.configNowButton->performClick();

    EXPECT_THAT(h.alertMessages(),
                ElementsAre("WARNING1_TITLE", "WARNING2_TITLE", "SUCCESS_TITLE"));
    const auto& shown = h.alerts->shown();
    // Individual disks delete the volumes but erase no disk, and make no new volume.
    EXPECT_EQ(shown[0].informativeText, "WARNING1_INDIVIDUAL_BODY");
    EXPECT_THAT(shown[0].buttons, ElementsAre("CANCEL", "CONTINUE"));
    EXPECT_EQ(shown[1].informativeText, "WARNING2_INDIVIDUAL_BODY");
    EXPECT_THAT(shown[1].buttons, ElementsAre("CANCEL", "OK"));
    EXPECT_EQ(shown[2].informativeText, "SUCCESS_INDIVIDUAL_BODY");
    EXPECT_THAT(shown[2].buttons, ElementsAre("DONE", "DISKUTILITY"));
    for (const auto& a : shown) {
        EXPECT_EQ(a.mode, platform::Mode::ModalPanel);
    }
    // Warnings warn; the news that it went well does not.
    EXPECT_EQ(shown[0].style, platform::AlertStyle::Warning);
    EXPECT_EQ(shown[1].style, platform::AlertStyle::Warning);
    EXPECT_EQ(shown[2].style, platform::AlertStyle::Informational);
    EXPECT_EQ(h.app().activationCount(), 3u);
    EXPECT_EQ(h.library->count("MV_LD_Create"), 0);
    EXPECT_TRUE(h.launched.empty());
    EXPECT_FALSE(h.sheetOpen());
    EXPECT_TRUE(h.updatePending());
}

// The change blocks the window for seconds: it is shown busy from after the
// last warning closed until the change is done, and repainted first.
TEST_F(Configuration, TheWindowIsBusyWhileTheChangeBlocks) {
    launchWith(2, /*withVolume=*/true);
    openSheetWith(AppDelegate::kLayoutRAID1);
    std::vector<std::string> notBusy;
    h.library->fault = [&](const std::string& op) -> std::optional<MV_U8> {
        if (!h.app().isBusy()) {
            notBusy.push_back(op);
        }
        return std::nullopt;
    };
    std::size_t alertsWhenBusyBegan = 0;
    bool modalWhenBusyBegan = true;
    auto observation = h.app().observe([&](platform::Observable&, platform::Change what) {
        if (what == platform::Change::Busy && h.app().isBusy()) {
            alertsWhenBusyBegan = h.alerts->shown().size();
            modalWhenBusyBegan = h.app().isModal();
        }
    });
    h.alerts->answer(kSecond);
    h.alerts->answer(kSecond);
    h.alerts->answerWith([&](const platform::Alert&) {
        EXPECT_FALSE(h.app().isBusy()) << "the result is not shown busy";
        return kFirst;
    });
    h.ui.configNowButton->performClick();

    EXPECT_EQ(alertsWhenBusyBegan, 2u);
    EXPECT_FALSE(modalWhenBusyBegan);
    for (const auto& op : notBusy) {
        EXPECT_TRUE(op.rfind("MV_LD_", 0) != 0 && op.rfind("MV_PD_Wipe", 0) != 0)
            << op << " ran without the busy cursor";
    }
    EXPECT_FALSE(h.app().isBusy());
}

struct Refusal {
    const char* what;
    std::vector<platform::ModalResponse> answers;
    std::vector<std::string> shown;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.what;
}

class ConfigurationRefused : public Configuration, public testing::WithParamInterface<Refusal> {};

TEST_P(ConfigurationRefused, ChangesNothingClosesTheSheetAndSchedulesNoRefresh) {
    launchWith(2, /*withVolume=*/true);
    openSheetWith(AppDelegate::kLayoutRAID1);
    for (auto answer : GetParam().answers) {
        h.alerts->answer(answer);
    }
    h.ui.configNowButton->performClick();
    EXPECT_EQ(h.alertMessages(), GetParam().shown);
    EXPECT_TRUE(h.library->calls.empty());
    EXPECT_FALSE(h.sheetOpen());
    EXPECT_FALSE(h.updatePending());
}

INSTANTIATE_TEST_SUITE_P(
    Answers,
    ConfigurationRefused,
    testing::Values(
        Refusal{"cancel first", {kFirst}, {"WARNING1_TITLE"}},
        Refusal{"aborted first", {platform::kModalResponseAbort}, {"WARNING1_TITLE"}},
        Refusal{"cancel second", {kSecond, kFirst}, {"WARNING1_TITLE", "WARNING2_TITLE"}},
        Refusal{"aborted second",
                {kSecond, platform::kModalResponseAbort},
                {"WARNING1_TITLE", "WARNING2_TITLE"}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(Configuration, MirrorIsCreatedWithTheSheetAttachedUntilTheResultIsDismissed) {
    launchWith(2, /*withVolume=*/true);
    openSheetWith(AppDelegate::kLayoutRAID1);
    h.ui.name->setStringValue("Backup");
    const auto start = h.driver.now();
    bool sheetDuringResult = false;
    h.alerts->answer(kSecond);
    h.alerts->answer(kSecond);
    h.alerts->answerWith([&](const platform::Alert&) {
        sheetDuringResult = h.sheetOpen();
        return kFirst;
    });
    h.ui.configNowButton->performClick();

    EXPECT_THAT(h.alertMessages(),
                ElementsAre("WARNING1_TITLE", "WARNING2_TITLE", "SUCCESS_TITLE"));
    EXPECT_EQ(h.alerts->shown()[0].informativeText, "WARNING1_BODY");
    EXPECT_EQ(h.alerts->shown()[2].informativeText, "SUCCESS_BODY");
    EXPECT_TRUE(sheetDuringResult);
    EXPECT_FALSE(h.sheetOpen());
    // Old volume deleted (rebuild cancelled first), both disks wiped, one mirror created.
    EXPECT_THAT(h.library->calls,
                testing::IsSupersetOf({"MV_LD_BGAControl(0,1,4)", "MV_LD_Delete(0,1,1)",
                                       "MV_PD_WipeHDMDD(0,1,0)", "MV_PD_WipeHDMDD(0,2,0)",
                                       "MV_LD_Create(0,1)"}));
    EXPECT_EQ(createdName(), "Backup");
    EXPECT_EQ(h.driver.now() - start, platform::seconds(6));

    // The refresh runs after the action and shows the new volume.
    EXPECT_TRUE(h.updatePending());
    h.driver.runUntilIdle();
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Backup"));
    EXPECT_EQ(h.ui.type->stringValue(), "LD_MODE_RAID1");
}

TEST_F(Configuration, NameAndLayoutAreReadAfterTheWarnings) {
    launchWith(2);
    openSheetWith(AppDelegate::kLayoutRAID1);
    h.ui.name->setStringValue("");
    h.alerts->answer(kSecond);
    h.alerts->answerWith([&](const platform::Alert&) {
        h.ui.raidPicker->selectCellWithTag(AppDelegate::kLayoutRAID0);
        return kSecond;
    });
    h.alerts->answer(kFirst);
    h.ui.configNowButton->performClick();
    EXPECT_EQ(h.library->lastCreate.RaidMode, 0);
    EXPECT_EQ(createdName(), "DEFAULTNAME");
}

TEST_F(Configuration, AFailureShowsTheStatusAndStillRefreshes) {
    launchWith(2);
    openSheetWith(AppDelegate::kLayoutRAID0);
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_LD_Create") {
            throw std::runtime_error("raised");
        }
        return std::nullopt;
    };
    h.alerts->answer(kSecond);
    h.alerts->answer(kSecond);
    h.alerts->answer(kFirst);
    h.ui.configNowButton->performClick();

    ASSERT_EQ(h.alerts->shown().size(), 3u);
    EXPECT_EQ(h.alerts->shown()[2].messageText, "ERROR_SETCONFIG_TITLE");
    EXPECT_EQ(h.alerts->shown()[2].informativeText, "ERROR_SETCONFIG_BODY 255");
    EXPECT_THAT(h.alerts->shown()[2].buttons, ElementsAre("OK"));
    EXPECT_TRUE(h.updatePending());
    EXPECT_FALSE(h.sheetOpen());
}

TEST_F(Configuration, ALibraryStatusIsShownAsGiven) {
    launchWith(2, /*withVolume=*/true);
    openSheetWith(AppDelegate::kLayoutIndividualDisks);
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        return op == "MV_LD_Delete" ? std::optional<MV_U8>(3) : std::nullopt;
    };
    h.alerts->answer(kSecond);
    h.alerts->answer(kSecond);
    h.alerts->answer(kFirst);
    h.ui.configNowButton->performClick();
    EXPECT_EQ(h.alerts->shown().back().informativeText, "ERROR_SETCONFIG_BODY 3");
}

TEST_F(Configuration, DiskUtilityIsOpenedOnlyFromItsButton) {
    launchWith(2);
    openSheetWith(AppDelegate::kLayoutRAID0);
    h.alerts->answer(kSecond);
    h.alerts->answer(kSecond);
    h.alerts->answer(kSecond);
    h.ui.configNowButton->performClick();
    EXPECT_THAT(h.launched, ElementsAre("Disk Utility"));
    EXPECT_TRUE(h.updatePending());
}

TEST_F(Configuration, OpenDiskToolSaysSoWhenItOpensNothing) {
    using Status = platform::LaunchOutcome::Status;
    const struct {
        Status status;
        std::vector<std::string> alertsAfterSuccess;
        platform::AlertStyle style;  // of the last alert
        const char* detail;          // in its informative text
    } cases[] = {
        {Status::Launched, {}, platform::AlertStyle::Informational, "SUCCESS_BODY"},
        {Status::NotInstalled,
         {"DISKTOOL_MISSING_TITLE"},
         platform::AlertStyle::Informational,
         "DISKTOOL_MISSING_BODY"},
        {Status::Failed,
         {"DISKTOOL_FAILED_TITLE"},
         platform::AlertStyle::Warning,
         "/usr/bin/gnome-disks|Permission denied"},
    };
    launchWith(2);
    for (const auto& c : cases) {
        openSheetWith(AppDelegate::kLayoutRAID1);
        h.launchOutcome.status = c.status;
        h.launchOutcome.program = "/usr/bin/gnome-disks";
        h.launchOutcome.error = EACCES;
        for (auto answer : {kSecond, kSecond, kSecond, kFirst}) {
            h.alerts->answer(answer);
        }
        h.ui.configNowButton->performClick();

        std::vector<std::string> after;
        for (std::size_t i = 3; i < h.alerts->shown().size(); ++i) {
            after.push_back(h.alerts->shown()[i].messageText);
        }
        EXPECT_EQ(after, c.alertsAfterSuccess);
        EXPECT_EQ(h.alerts->shown().back().style, c.style);
        EXPECT_THAT(h.alerts->shown().back().informativeText, testing::HasSubstr(c.detail));
        h.alerts = std::make_shared<platform::ScriptedAlertPresenter>();  // a clean script
        h.app().setAlertPresenter(h.alerts);
    }
    EXPECT_EQ(h.launched.size(), 3u);
}

// Without a controller nothing can be configured; that must not read as success.
TEST_F(Configuration, NoControllerIsReportedAsAFailure) {
    h.launchAndSettle();
    h.alerts->answer(kFirst);
    h.delegate->sheet().doCreateRAID("Name", AppDelegate::kLayoutIndividualDisks);
    ASSERT_EQ(h.alerts->shown().size(), 1u);
    EXPECT_EQ(h.alerts->shown()[0].messageText, "ERROR_SETCONFIG_TITLE");
    EXPECT_EQ(h.alerts->shown()[0].informativeText, "ERROR_SETCONFIG_BODY 255");
    EXPECT_TRUE(h.updatePending());
}

}  // namespace
