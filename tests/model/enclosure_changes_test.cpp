// The rules of every change the window and the command line make: what is
// refused and why, the warnings (keys and arguments), and the library calls
// of each change, on a small fake enclosure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "model/library_binding.h"
#include "model/mirror_rebuild.h"
#include "model/model_clock.h"
#include "model/rebuild_cancellation.h"
#include "model/volume_configuration.h"
#include "platform/controls/bundle.h"
#include "tests/support/app_fake_library.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using Reason = ChangeRefusal::Reason;
using Fault = std::function<std::optional<MV_U8>(const std::string&)>;

// A string table whose texts are their keys, with the placeholders the formats take.
class KeyStrings {
  public:
    ~KeyStrings() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

  private:
    static std::filesystem::path written() {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("norvik-change-strings-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "strings");
        std::ofstream(dir / "strings" / "en.json") << R"({
            "WARNING1_REBUILD_BODY": "WARNING1_REBUILD_BODY %@|%@|%@",
            "WARNING2_REBUILD_TITLE": "WARNING2_REBUILD_TITLE %@",
            "ERROR_REBUILD_BODY": "ERROR_REBUILD_BODY %d",
            "ERROR_SETCONFIG_BODY": "ERROR_SETCONFIG_BODY %d",
            "ERROR_CANCEL_REBUILD_BODY": "ERROR_CANCEL_REBUILD_BODY %d",
            "REFUSAL_INSERT_BLANK_DISK_BODY": "REFUSAL_INSERT_BLANK_DISK_BODY %d",
            "REFUSAL_NOT_REBUILDING_BODY": "REFUSAL_NOT_REBUILDING_BODY %@",
            "CANCEL_REBUILD_TITLE": "CANCEL_REBUILD_TITLE %@",
            "VOLUME_NAME_EMPTY": "VOLUME_NAME_EMPTY %d"
        })";
        return dir;
    }

    std::filesystem::path dir_ = written();
    platform::Bundle bundle_{dir_, "en"};
    platform::Bundle::ScopedMainBundle scope_{bundle_};
};

std::vector<std::string> texts(const ChangeWarnings& warnings) {
    std::vector<std::string> result;
    for (const auto& w : warnings) {
        result.push_back(w.message.text() + " / " + w.information.text() + " / " + w.goOnButton);
    }
    return result;
}

class EnclosureChanges : public testing::Test {
  public:
    AppFakeAdapter& adapter() {
        return library.adapters.empty() ? library.addAdapter() : library.adapters[0];
    }
    void disks(std::initializer_list<MV_U16> ids) {
        for (MV_U16 id : ids) {
            AppFakeLibrary::addDisk(adapter(), id);
        }
    }
    // A degraded mirror (volume 1) with a block on each of `members`.
    AppFakeVolume& degradedMirror(const std::vector<MV_U16>& members) {
        auto& v = AppFakeLibrary::addVolume(adapter(), 1, MV_LD_MODE_RAID1, members, "Mirror");
        v.status = MV_LD_STATUS_DEGRADE;
        return v;
    }
    // The controller as a scan leaves it; the scan's calls are forgotten.
    std::shared_ptr<MarvellController> scanned() {
        auto controllers = MarvellController::scanForControllers();
        if (controllers.empty()) {
            library.calls.clear();
            return nullptr;
        }
        controllers[0]->scanForDisks();
        controllers[0]->scanForRAIDSets();
        library.calls.clear();
        return controllers[0];
    }
    std::shared_ptr<MarvellRAIDSet> firstSet(const std::shared_ptr<MarvellController>& c) {
        return c && !c->raidSets().empty() ? c->raidSets()[0] : nullptr;
    }
    // The calls that change or free disks, in order.
    std::vector<std::string> changes() const {
        std::vector<std::string> result;
        for (const auto& c : library.calls) {
            for (const char* op : {"MV_LD_Delete", "MV_PD_WipeHDMDD", "MV_LD_StartRebuild",
                                   "MV_LD_BGAControl", "MV_LD_Create"}) {
                if (c.rfind(op, 0) == 0) {
                    result.push_back(c);
                }
            }
        }
        return result;
    }

    KeyStrings strings;
    AppFakeLibrary library;
    ScopedControllerLibrary bound{library};
    platform::ManualClock clock;
    ScopedModelClock clockScope{clock};
};

// --- configuring the enclosure

struct ConfigurationCase {
    const char* what;
    int disks;  // -1: no controller at all
    int layout;
    std::optional<Reason> refused;
    std::vector<std::string> warnings;
};

void PrintTo(const ConfigurationCase& c, std::ostream* os) {
    *os << c.what;
}

class ConfigurationPlan : public EnclosureChanges,
                          public testing::WithParamInterface<ConfigurationCase> {};

TEST_P(ConfigurationPlan, RefusesOrWarnsWithoutTouchingTheController) {
    const auto& c = GetParam();
    if (c.disks >= 0) {
        adapter();
        for (int i = 1; i <= c.disks; ++i) {
            disks({static_cast<MV_U16>(i)});
        }
    }
    const auto planned = VolumeConfiguration::plan(scanned(), c.layout, "Name");
    EXPECT_TRUE(library.calls.empty());
    ASSERT_EQ(!planned, c.refused.has_value());
    if (c.refused) {
        EXPECT_EQ(planned.refusal().reason, *c.refused);
        EXPECT_EQ(planned.refusal().message.text(), "ERROR_NEEDTWODISKS_TITLE");
        EXPECT_EQ(planned.refusal().information.text(), "ERROR_NEEDTWODISKS_BODY");
    } else {
        EXPECT_EQ(texts(planned->warnings()), c.warnings);
    }
}

const std::vector<std::string> kRAIDWarnings = {"WARNING1_TITLE / WARNING1_BODY / CONTINUE",
                                                "WARNING2_TITLE / WARNING2_BODY / OK"};
const std::vector<std::string> kIndividualWarnings = {
    "WARNING1_TITLE / WARNING1_INDIVIDUAL_BODY / CONTINUE",
    "WARNING2_TITLE / WARNING2_INDIVIDUAL_BODY / OK"};

INSTANTIATE_TEST_SUITE_P(
    Layouts,
    ConfigurationPlan,
    testing::Values(
        ConfigurationCase{"raid0 one disk", 1, 1, Reason::NeedsTwoDisks, {}},
        ConfigurationCase{"raid1 no disk", 0, 2, Reason::NeedsTwoDisks, {}},
        ConfigurationCase{"raid1 no controller", -1, 2, Reason::NeedsTwoDisks, {}},
        ConfigurationCase{"raid0 two disks", 2, 1, std::nullopt, kRAIDWarnings},
        ConfigurationCase{"raid1 three disks", 3, 2, std::nullopt, kRAIDWarnings},
        ConfigurationCase{"individual one disk", 1, 3, std::nullopt, kIndividualWarnings},
        ConfigurationCase{"individual no controller", -1, 3, std::nullopt, kIndividualWarnings}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(EnclosureChanges, ABlankNameIsKeptAndOnlyAnEmptyOneBecomesTheDefault) {
    disks({1, 2});
    const auto controller = scanned();
    for (const auto& [typed, given] : std::vector<std::pair<std::string, std::string>>{
             {"", "DEFAULTNAME"}, {"   ", "   "}, {"Backup", "Backup"}}) {
        EXPECT_EQ(VolumeConfiguration::plan(controller, 1, typed)->name(), given);
        EXPECT_EQ(VolumeConfiguration::asConfirmed(controller, 1, typed).name(), given);
    }
}

struct ConfigurationRun {
    const char* what;
    int layout;
    Fault fault;
    MV_U8 status;
    std::vector<std::string> changes;
    double pausedSeconds;
};

void PrintTo(const ConfigurationRun& c, std::ostream* os) {
    *os << c.what;
}

class ConfigurationExecution : public EnclosureChanges,
                               public testing::WithParamInterface<ConfigurationRun> {};

TEST_P(ConfigurationExecution, MakesTheCallsOfTheLayoutAndGivesTheLibrarysStatus) {
    const auto& c = GetParam();
    disks({1, 2});
    AppFakeLibrary::addVolume(adapter(), 1, MV_LD_MODE_RAID0, {1, 2}, "Old");
    const auto planned = VolumeConfiguration::plan(scanned(), c.layout, "New");
    ASSERT_TRUE(planned);
    library.fault = c.fault;
    const auto start = clock.now();
    EXPECT_EQ(planned->execute(), c.status);
    EXPECT_EQ(changes(), c.changes);
    EXPECT_EQ(clock.now() - start, platform::seconds(c.pausedSeconds));
}

const std::vector<std::string> kRecreate = {"MV_LD_BGAControl(0,1,4)", "MV_LD_Delete(0,1,1)",
                                            "MV_PD_WipeHDMDD(0,1,0)", "MV_PD_WipeHDMDD(0,2,0)"};

std::vector<std::string> recreateThen(const char* create) {
    auto calls = kRecreate;
    calls.push_back(create);
    return calls;
}

Fault failing(const char* op, std::optional<MV_U8> status) {
    return [=](const std::string& called) -> std::optional<MV_U8> {
        if (called != op) {
            return std::nullopt;
        }
        if (!status) {
            throw std::runtime_error("raised");
        }
        return status;
    };
}

INSTANTIATE_TEST_SUITE_P(
    Layouts,
    ConfigurationExecution,
    testing::Values(ConfigurationRun{"mirror", 2, nullptr, 0, recreateThen("MV_LD_Create(0,1)"), 6},
                    ConfigurationRun{"stripe", 1, nullptr, 0, recreateThen("MV_LD_Create(0,0)"), 6},
                    ConfigurationRun{"individual",
                                     3,
                                     nullptr,
                                     0,
                                     {"MV_LD_BGAControl(0,1,4)", "MV_LD_Delete(0,1,1)"},
                                     0},
                    ConfigurationRun{"create raises", 1, failing("MV_LD_Create", std::nullopt), 255,
                                     recreateThen("MV_LD_Create(0,0)"), 6},
                    ConfigurationRun{"delete refused",
                                     3,
                                     failing("MV_LD_Delete", 3),
                                     3,
                                     {"MV_LD_BGAControl(0,1,4)", "MV_LD_Delete(0,1,1)"},
                                     0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(EnclosureChanges, IndividualDisksWithoutAControllerFailInsteadOfReadingAsDone) {
    const auto planned = VolumeConfiguration::plan(nullptr, 3, "");
    ASSERT_TRUE(planned);
    EXPECT_EQ(planned->execute(), library_status::kRaised);
    EXPECT_TRUE(library.calls.empty());
    EXPECT_EQ(VolumeConfiguration::failureInformation(255).text(), "ERROR_SETCONFIG_BODY 255");
}

// --- rebuilding a degraded mirror

struct RebuildCase {
    const char* what;
    std::function<void(EnclosureChanges&)> world;
    Fault fault;  // while planning
    std::optional<Reason> refused;
    std::string detail;  // the replacement's name and the first warning, or the refusal's text
};

void PrintTo(const RebuildCase& c, std::ostream* os) {
    *os << c.what;
}

class RebuildPlan : public EnclosureChanges, public testing::WithParamInterface<RebuildCase> {};

TEST_P(RebuildPlan, ChoosesTheReplacementOrSaysWhyNot) {
    const auto& c = GetParam();
    c.world(*this);
    const auto controller = scanned();
    library.fault = c.fault;
    const auto planned = MirrorRebuild::plan(controller, firstSet(controller));
    EXPECT_TRUE(changes().empty());
    ASSERT_EQ(!planned, c.refused.has_value());
    if (c.refused) {
        EXPECT_EQ(planned.refusal().reason, *c.refused);
        EXPECT_EQ(planned.refusal().message.text() + " / " + planned.refusal().information.text(),
                  c.detail);
    } else {
        EXPECT_EQ(planned->replacement()->name() + ": " + texts(planned->warnings()).at(0),
                  c.detail);
        EXPECT_THAT(texts(planned->warnings()).at(1),
                    testing::StartsWith("WARNING2_REBUILD_TITLE " + planned->replacement()->name() +
                                        " / WARNING2_REBUILD_BODY / OK"));
    }
}

Fault blockLookupsFail = [](const std::string& op) -> std::optional<MV_U8> {
    return op == "MV_BLK_GetInfo" ? std::optional<MV_U8>(1) : std::nullopt;
};

INSTANTIATE_TEST_SUITE_P(
    Enclosures,
    RebuildPlan,
    testing::Values(RebuildCase{"one free disk",
                                [](auto& t) {
                                    t.disks({1, 2});
                                    t.degradedMirror({1});
                                },
                                nullptr, std::nullopt,
                                "DISK_2: WARNING1_REBUILD_TITLE / WARNING1_REBUILD_BODY "
                                "DISK_1|DISK_2|DISK_2 / CONTINUE"},
                    RebuildCase{"first free disk in controller order",
                                [](auto& t) {
                                    t.disks({5, 3, 4});
                                    t.degradedMirror({4});
                                },
                                nullptr, std::nullopt,
                                "DISK_5: WARNING1_REBUILD_TITLE / WARNING1_REBUILD_BODY "
                                "DISK_4|DISK_5|DISK_5 / CONTINUE"},
                    RebuildCase{"survivor the controller does not list",
                                [](auto& t) {
                                    t.disks({1});
                                    t.degradedMirror({9});
                                },
                                nullptr, std::nullopt,
                                "DISK_1: WARNING1_REBUILD_TITLE / WARNING1_REBUILD_BODY "
                                "DISK_9|DISK_1|DISK_1 / CONTINUE"},
                    RebuildCase{"every disk a member",
                                [](auto& t) {
                                    t.disks({1, 2});
                                    t.degradedMirror({1, 2});
                                },
                                nullptr, Reason::NoReplacementDisk,
                                "REFUSAL_NO_REPLACEMENT_TITLE / REFUSAL_REPLACE_FAILED_DISK_BODY"},
                    RebuildCase{"slot 1 empty",
                                [](auto& t) {
                                    t.disks({1});
                                    t.degradedMirror({1});
                                },
                                nullptr, Reason::NoReplacementDisk,
                                "REFUSAL_NO_REPLACEMENT_TITLE / REFUSAL_INSERT_BLANK_DISK_BODY 1"},
                    RebuildCase{"slot 0 empty",
                                [](auto& t) {
                                    t.disks({2});
                                    t.degradedMirror({2});
                                },
                                nullptr, Reason::NoReplacementDisk,
                                "REFUSAL_NO_REPLACEMENT_TITLE / REFUSAL_INSERT_BLANK_DISK_BODY 0"},
                    RebuildCase{"members unknown",
                                [](auto& t) {
                                    t.disks({1, 2});
                                    t.degradedMirror({1});
                                },
                                blockLookupsFail, Reason::NoKnownMember,
                                "REFUSAL_NO_MEMBER_TITLE / REFUSAL_NO_MEMBER_BODY"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(EnclosureChanges, ARebuildWithoutAControllerOrSetIsRefused) {
    disks({1, 2});
    degradedMirror({1});
    const auto controller = scanned();
    EXPECT_EQ(MirrorRebuild::plan(nullptr, firstSet(controller)).refusal().reason,
              Reason::NoKnownMember);
    EXPECT_EQ(MirrorRebuild::plan(controller, nullptr).refusal().reason, Reason::NoKnownMember);
}

struct RebuildRun {
    const char* what;
    std::function<void(AppFakeAdapter&)> world;  // beside the mirror on disk 1 and free disk 2
    Fault fault;
    MV_U8 status;
    std::vector<std::string> changes;
};

void PrintTo(const RebuildRun& c, std::ostream* os) {
    *os << c.what;
}

class RebuildExecution : public EnclosureChanges, public testing::WithParamInterface<RebuildRun> {};

TEST_P(RebuildExecution, FreesTheReplacementThenStartsTheRebuild) {
    const auto& c = GetParam();
    disks({1, 2, 3});
    degradedMirror({1});
    c.world(adapter());
    const auto controller = scanned();
    const auto planned = MirrorRebuild::plan(controller, firstSet(controller));
    ASSERT_TRUE(planned);
    library.fault = c.fault;
    EXPECT_EQ(planned->execute(), c.status);
    EXPECT_THAT(changes(), ElementsAreArray(c.changes));
}

void twoOtherVolumesOnDisk2(AppFakeAdapter& a) {
    AppFakeLibrary::addVolume(a, 2, MV_LD_MODE_RAID0, {2}, "Other");
    AppFakeLibrary::addVolume(a, 3, MV_LD_MODE_RAID0, {2}, "Third");
}

const std::vector<std::string> kStart = {"MV_PD_WipeHDMDD(0,2,0)", "MV_LD_StartRebuild(0,1,2)"};

INSTANTIATE_TEST_SUITE_P(
    Replacements,
    RebuildExecution,
    testing::Values(
        RebuildRun{"blank replacement", [](auto&) {}, nullptr, 0, kStart},
        RebuildRun{"other volumes deleted, free space and own blocks left alone",
                   [](auto& a) {
                       twoOtherVolumesOnDisk2(a);
                       AppFakeLibrary::addBlock(a, 2, std::nullopt);
                       AppFakeLibrary::addBlock(a, 2, 1);
                   },
                   nullptr,
                   0,
                   {"MV_LD_Delete(0,2,1)", "MV_LD_Delete(0,3,1)", "MV_PD_WipeHDMDD(0,2,0)",
                    "MV_LD_StartRebuild(0,1,2)"}},
        RebuildRun{
            "a raising block lookup frees nothing of that block",
            twoOtherVolumesOnDisk2,
            [lookups = std::make_shared<int>(0)](const std::string& op) -> std::optional<MV_U8> {
                if (op == "MV_BLK_GetInfo" && ++*lookups == 1) {
                    throw std::runtime_error("raised");
                }
                return std::nullopt;
            },
            0,
            {"MV_LD_Delete(0,3,1)", "MV_PD_WipeHDMDD(0,2,0)", "MV_LD_StartRebuild(0,1,2)"}},
        RebuildRun{"a raising block listing skips the clean-up", twoOtherVolumesOnDisk2,
                   failing("MV_BLK_GetHDBlock", std::nullopt), 0, kStart},
        RebuildRun{"a raising deletion starts no rebuild",
                   twoOtherVolumesOnDisk2,
                   failing("MV_LD_Delete", std::nullopt),
                   255,
                   {"MV_LD_Delete(0,2,1)"}},
        RebuildRun{"a rebuild that cannot start", [](auto&) {}, failing("MV_LD_StartRebuild", 6), 6,
                   kStart}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// --- cancelling a rebuild

TEST_F(EnclosureChanges, OnlyARunningRebuildCanBeCancelled) {
    disks({1, 2});
    degradedMirror({1});
    const auto refused = RebuildCancellation::plan(firstSet(scanned()));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.refusal().reason, Reason::NotRebuilding);
    EXPECT_EQ(refused.refusal().information.text(), "REFUSAL_NOT_REBUILDING_BODY Mirror");
    EXPECT_TRUE(changes().empty());
    EXPECT_FALSE(RebuildCancellation::plan(nullptr));
}

struct CancelRun {
    const char* what;
    Fault fault;
    MV_U8 status;
};

void PrintTo(const CancelRun& c, std::ostream* os) {
    *os << c.what;
}

class CancelExecution : public EnclosureChanges, public testing::WithParamInterface<CancelRun> {};

TEST_P(CancelExecution, AsksOnceAndGivesTheLibrarysStatus) {
    disks({1, 2});
    auto& mirror = degradedMirror({1});
    mirror.rebuilding = true;
    mirror.name = "";
    const auto planned = RebuildCancellation::plan(firstSet(scanned()));
    ASSERT_TRUE(planned);
    EXPECT_THAT(texts(planned->warnings()),
                ElementsAre("CANCEL_REBUILD_TITLE VOLUME_NAME_EMPTY 1 / CANCEL_REBUILD_BODY / OK"));
    library.fault = GetParam().fault;
    EXPECT_EQ(planned->execute(), GetParam().status);
    EXPECT_THAT(changes(), ElementsAre("MV_LD_BGAControl(0,1,4)"));
}

INSTANTIATE_TEST_SUITE_P(Answers,
                         CancelExecution,
                         testing::Values(CancelRun{"cancelled", nullptr, 0},
                                         CancelRun{"refused", failing("MV_LD_BGAControl", 3), 3},
                                         CancelRun{"raised",
                                                   failing("MV_LD_BGAControl", std::nullopt), 255}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
