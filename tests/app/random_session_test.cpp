// Drives the whole application with random user actions, alert answers,
// hardware events and library faults, and checks that nothing crashes, no
// exception escapes, and no destructive library call is made unless the
// flow's second warning was just answered with its second button.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

#include "platform/controls/notification_center.h"
#include "tests/support/app_harness.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NORVIK_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define NORVIK_SANITIZED 1
#endif

namespace {

#ifdef NORVIK_SANITIZED
constexpr int kDefaultSteps = 60000;
#else
constexpr int kDefaultSteps = 100000;
#endif

int stepsToRun() {
    if (const char* env = std::getenv("NORVIK_RANDOM_STEPS")) {
        return std::max(1, std::atoi(env));
    }
    return kDefaultSteps;
}

bool isDestructive(const std::string& op) {
    return op == "MV_LD_Create" || op == "MV_LD_Delete" || op == "MV_PD_WipeHDMDD" ||
           op == "MV_LD_StartRebuild";
}

class RandomSession {
  public:
    explicit RandomSession(unsigned seed) : rng_(seed) {
        h.library->fault = [this](const std::string& op) { return fault(op); };
        h.alerts->answerWith([this](const platform::Alert& a) { return answer(a); });
        randomWorld();
        h.plugEnclosure(0);
        h.launch();
    }

    void step() {
        armed_ = false;
        switch (pick(16)) {
            case 0:
                h.advance(uniform(0.0, 12.0));
                break;
            case 1:
                h.driver.runUntilIdle();
                break;
            case 2:
                userPicks(*h.ui.devicePicker);
                break;
            case 3:
                userPicks(*h.ui.picker);
                break;
            case 4:
                clickMain(*h.ui.configButton);
                break;
            case 5:
                clickMain(*h.ui.rebuildButton);
                break;
            case 6:
                if (h.sheetOpen()) {
                    h.ui.raidPicker->userSelectCellAtIndex(pick(4) - 1);
                }
                break;
            case 7:
                type();
                break;
            case 8:
                if (h.sheetOpen()) {
                    h.ui.configNowButton->performClick();
                }
                break;
            case 9:
                if (h.sheetOpen()) {
                    pick(2) ? h.ui.cancelButton->performClick()
                            : h.ui.theSheet->performDefaultButtonClick();
                }
                break;
            case 10:
                platform::NotificationCenter::defaultCenter().post("Marvell");
                break;
            case 11:
                hardwareEvent();
                break;
            case 12:
            case 13:
                changeWorld();
                break;
            default:
                faultRate_ = pick(4) == 0 ? 0.0 : uniform(0.0, 0.3);
                break;
        }
        armed_ = false;
        checkInvariants();
    }

    AppHarness h;
    int violations = 0;
    int destructiveCalls = 0;
    int alertsShown = 0;

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    double uniform(double a, double b) {
        return std::uniform_real_distribution<double>(a, b)(rng_);
    }

    std::optional<MV_U8> fault(const std::string& op) {
        if (isDestructive(op)) {
            ++destructiveCalls;
            if (!armed_) {
                ++violations;
                ADD_FAILURE() << op << " without a confirmed second warning";
            }
        }
        if (uniform(0.0, 1.0) < faultRate_) {
            if (pick(2)) {
                throw std::runtime_error("library raised in " + op);
            }
            return static_cast<MV_U8>(1 + pick(255));
        }
        return std::nullopt;
    }

    platform::ModalResponse answer(const platform::Alert& alert) {
        ++alertsShown;
        h.alerts->answerWith([this](const platform::Alert& a) { return answer(a); });
        // Sometimes time passes while the alert is open: updates and timer
        // ticks run inside it, rescans must not.
        if (pick(4) == 0) {
            h.advance(uniform(0.0, 3.0));
        }
        if (pick(8) == 0) {
            hardwareEvent();
        }
        platform::ModalResponse response;
        switch (pick(5)) {
            case 0:
                response = platform::kAlertFirstButtonReturn;
                break;
            case 1:
                response = platform::kModalResponseAbort;
                break;
            default:
                response = platform::kAlertSecondButtonReturn;
                break;
        }
        const std::string& message = alert.messageText();
        const bool secondWarning =
            message == "WARNING2_TITLE" || message.rfind("WARNING2_REBUILD_TITLE", 0) == 0;
        armed_ = secondWarning && response == platform::kAlertSecondButtonReturn;
        return response;
    }

    void userPicks(platform::PopUpButton& popUp) {
        if (!h.sheetOpen() && popUp.numberOfItems() > 0) {
            popUp.userSelectItemAtIndex(pick(static_cast<int>(popUp.numberOfItems()) + 1));
        }
    }

    void clickMain(platform::Button& button) {
        if (!h.sheetOpen()) {
            button.performClick();
        }
    }

    void type() {
        if (!h.sheetOpen()) {
            return;
        }
        static const char* texts[] = {
            "", "a", "Backup", "\xc3\xa9t\xc3\xa9", "0123456789ABCDEFGH", "\xf0\x9f\x92\xbe disk"};
        const auto length = h.ui.name->length();
        const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(length) + 2));
        const std::size_t n = static_cast<std::size_t>(pick(4));
        if (pick(6) == 0) {
            h.ui.name->setStringValue(std::string(20 + pick(10), 'x'));  // set by the program
        }
        h.ui.name->userReplaceCharacters({at, n}, texts[pick(6)]);
        EXPECT_LE(h.ui.name->length(), 30u);
    }

    void hardwareEvent() {
        switch (pick(6)) {
            case 0:
                if (h.tree.nodeAtPath("/pci@0/bridge@0/pci1b4b,9230@0") ==
                    platform::devices::kNoNode) {
                    h.plugEnclosure(0);
                } else {
                    h.unplugEnclosure(0);
                }
                break;
            case 1: {
                const std::string name = "disk" + std::to_string(pick(6));
                if (!h.tree.removeDisk(name) && h.tree.nodeAtPath(AppHarness::busPath(0)) != 0) {
                    h.tree.addDisk(name, AppHarness::busPath(0));
                }
                break;
            }
            case 2: {
                const std::string name = "usb" + std::to_string(pick(3));
                if (!h.tree.removeDisk(name)) {
                    h.addForeignDisk(name);
                }
                break;
            }
            default:
                changeWorld();
                break;
        }
    }

    void randomWorld() {
        h.library->adapters.clear();
        // Mostly one enclosure with disks, sometimes none or two.
        const int adapters = pick(6) == 0 ? 0 : 1 + pick(4) / 3;
        for (int i = 0; i < adapters; ++i) {
            auto& a = h.library->addAdapter();
            const int disks = pick(5) == 0 ? pick(2) : 2 + pick(2);
            for (int d = 1; d <= disks; ++d) {
                AppFakeLibrary::addDisk(a, static_cast<MV_U16>(d));
            }
            if (disks > 0 && pick(3)) {
                std::vector<MV_U16> on;
                for (int d = 1; d <= disks; ++d) {
                    if (pick(2)) {
                        on.push_back(static_cast<MV_U16>(d));
                    }
                }
                AppFakeLibrary::addVolume(a, 1, static_cast<MV_U8>(pick(3)), on,
                                          pick(5) ? "Vol" : "\xff\xfe");
            }
        }
    }

    void changeWorld() {
        if (pick(10) == 0) {
            randomWorld();
            return;
        }
        if (h.library->adapters.empty()) {
            return;
        }
        auto& a = h.library->adapters[static_cast<std::size_t>(
            pick(static_cast<int>(h.library->adapters.size())))];
        switch (pick(5)) {
            case 0:
                if (!a.volumes.empty()) {
                    auto& v = a.volumes[static_cast<std::size_t>(
                        pick(static_cast<int>(a.volumes.size())))];
                    static const MV_U8 statuses[] = {0, 1, 3, 4, 11, 7};
                    v.status = statuses[pick(6)];
                    v.rebuilding = pick(3) == 0;
                    v.progress = static_cast<MV_U16>(pick(101));
                }
                break;
            case 1:
                if (a.disks.size() < 4) {
                    AppFakeLibrary::addDisk(a, static_cast<MV_U16>(a.disks.size() + 1 + pick(3)));
                }
                break;
            case 2:
                if (!a.disks.empty()) {
                    a.disks.erase(a.disks.begin() + pick(static_cast<int>(a.disks.size())));
                }
                break;
            case 3:
                if (!a.disks.empty()) {
                    AppFakeLibrary::addVolume(a, static_cast<MV_U16>(10 + pick(5)),
                                              static_cast<MV_U8>(pick(2)), {a.disks[0].id}, "New");
                }
                break;
            default:
                if (!a.disks.empty()) {
                    a.disks[0].statusOverride =
                        pick(2) ? std::optional<MV_U8>(static_cast<MV_U8>(pick(256)))
                                : std::nullopt;
                }
                break;
        }
    }

    void checkInvariants() {
        ASSERT_FALSE(h.app().isTerminated());
        ASSERT_FALSE(h.app().isModal());
        const auto& current = h.delegate->devices().fController();
        if (current) {
            const auto& all = h.delegate->devices().controllers();
            EXPECT_NE(std::find(all.begin(), all.end(), current), all.end());
        }
        EXPECT_TRUE(h.ui.name->formatter() == nullptr ||
                    h.ui.name->formatter() == h.delegate->sheet().formatter());
    }

    std::mt19937 rng_;
    bool armed_ = false;
    double faultRate_ = 0.05;
};

TEST(RandomSession, NothingCrashesAndNothingIsDestroyedUnconfirmed) {
    const int steps = stepsToRun();
    const unsigned seed = std::getenv("NORVIK_RANDOM_SEED")
                              ? static_cast<unsigned>(std::atoi(std::getenv("NORVIK_RANDOM_SEED")))
                              : 20261208u;
    testing::internal::CaptureStderr();
    RandomSession session(seed);
    for (int i = 0; i < steps && !testing::Test::HasFatalFailure(); ++i) {
        session.step();
    }
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_EQ(session.violations, 0);
    EXPECT_EQ(errors.find("escaped"), std::string::npos) << errors.substr(0, 2000);
    // The run must have reached the interesting paths.
    EXPECT_GT(session.destructiveCalls, 0);
    EXPECT_GT(session.alertsShown, steps / 200);
    RecordProperty("steps", steps);
    std::printf("random session: %d steps, seed %u, %d alerts, %d destructive calls\n", steps, seed,
                session.alertsShown, session.destructiveCalls);
}

}  // namespace
