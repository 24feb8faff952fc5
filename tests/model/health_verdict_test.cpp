// The one verdict: what each volume's and disk's reading says, worst first,
// and which disk it names.
#include "model/health_verdict.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/mv_api.h"
#include "tests/support/readings.h"

namespace {

using readings::controller;
using readings::disk;
using readings::mirror;
using readings::reading;
using testing::ElementsAre;

struct VolumeCase {
    const char* what;
    VolumeReading volume;
    Health health;
    const char* state;
};

class VolumeVerdict : public testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeVerdict, FollowsItsStatusAndWhatCouldBeRead) {
    EXPECT_EQ(volumeHealth(GetParam().volume), GetParam().health);
    EXPECT_STREQ(volumeStateKeyword(volumeHealth(GetParam().volume)), GetParam().state);
}

VolumeReading membersUnread(int status) {
    VolumeReading v = mirror(status);
    v.membersRead = false;
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Statuses,
    VolumeVerdict,
    testing::Values(VolumeCase{"functional", mirror(0), Health::Ok, "functional"},
                    VolumeCase{"degraded", mirror(1), Health::Degraded, "degraded"},
                    VolumeCase{"failed3", mirror(3), Health::Failed, "offline"},
                    VolumeCase{"offline", mirror(4), Health::Failed, "offline"},
                    VolumeCase{"failed11", mirror(11), Health::Failed, "offline"},
                    VolumeCase{"rebuilding", mirror(10), Health::Rebuilding, "rebuilding"},
                    VolumeCase{"unnamedCode", mirror(7), Health::Unknown, "unknown"},
                    VolumeCase{"unread", mirror(std::nullopt), Health::Unknown, "unknown"},
                    VolumeCase{"membersUnread", membersUnread(0), Health::Unknown, "unknown"},
                    VolumeCase{"membersUnreadDegraded", membersUnread(1), Health::Degraded,
                               "degraded"}),
    [](const auto& info) { return std::string(info.param.what); });

// Failed beats degraded beats unknown beats rebuilding beats ok, whatever
// the order of the volumes.
TEST(Verdict, TheWorstVolumeWins) {
    const std::vector<std::pair<int, Health>> ranked = {{0, Health::Ok},
                                                        {10, Health::Rebuilding},
                                                        {7, Health::Unknown},
                                                        {1, Health::Degraded},
                                                        {4, Health::Failed}};
    for (std::size_t better = 0; better < ranked.size(); ++better) {
        for (std::size_t worst = better; worst < ranked.size(); ++worst) {
            for (const bool worstFirst : {false, true}) {
                auto a = mirror(ranked[better].first), b = mirror(ranked[worst].first);
                b.id = 2;
                const auto verdict =
                    judgeController(controller(worstFirst ? std::vector{b, a} : std::vector{a, b}));
                EXPECT_EQ(verdict.health, ranked[worst].second)
                    << ranked[better].first << " with " << ranked[worst].first;
                ASSERT_FALSE(ranked[worst].second != Health::Ok && verdict.findings.empty());
                if (!verdict.findings.empty()) {
                    EXPECT_EQ(verdict.findings.front().health, ranked[worst].second);
                }
            }
        }
    }
    EXPECT_EQ(worse(Health::Unknown, Health::Degraded), Health::Degraded);
    EXPECT_EQ(worse(Health::Rebuilding, Health::Unknown), Health::Unknown);
}

struct DiskCase {
    const char* what;
    std::vector<DiskReading> disks;
    std::vector<int> memberSlots;
    std::optional<int> named;  // the disk to replace
};

class DiskToReplace : public testing::TestWithParam<DiskCase> {};

TEST_P(DiskToReplace, IsOnlyADiskWhoseOwnStatusReadOffline) {
    const auto verdict =
        judgeController(controller({mirror(1, GetParam().memberSlots)}, GetParam().disks));
    const auto degraded =
        std::find_if(verdict.findings.begin(), verdict.findings.end(),
                     [](const Finding& f) { return f.concern == Concern::VolumeDegraded; });
    ASSERT_NE(degraded, verdict.findings.end());
    EXPECT_EQ(degraded->disk ? std::optional<int>(degraded->disk->slot) : std::nullopt,
              GetParam().named);
}

INSTANTIATE_TEST_SUITE_P(
    Disks,
    DiskToReplace,
    testing::Values(
        DiskCase{"survivorUnread", {disk(0, std::nullopt)}, {0}, std::nullopt},
        DiskCase{"survivorAssigned", {disk(0, MV_HD_STATUS_ASSIGNED)}, {0}, std::nullopt},
        DiskCase{"memberOffline",
                 {disk(0, std::nullopt), disk(1, MV_HD_STATUS_OFFLINE)},
                 {0, 1},
                 1},
        DiskCase{"aMemberBeforeAnotherDisk",
                 {disk(0, MV_HD_STATUS_OFFLINE), disk(1, MV_HD_STATUS_OFFLINE)},
                 {1},
                 1},
        DiskCase{"noMemberOffline", {disk(0, MV_HD_STATUS_OFFLINE)}, {1}, 0}),
    [](const auto& info) { return std::string(info.param.what); });

struct ReadingCase {
    const char* what;
    EnclosureReading reading;
    Health health;
    std::vector<Concern> concerns;
};

ControllerReading unreadLists(bool volumes, bool disks) {
    ControllerReading c = controller({mirror(0)});
    c.volumesRead = !volumes;
    c.disksRead = !disks;
    if (disks) {
        c.disks.clear();
    }
    return c;
}

class EnclosureVerdict : public testing::TestWithParam<ReadingCase> {};

TEST_P(EnclosureVerdict, SawNothingIsNeverOk) {
    const Verdict verdict = judgeEnclosure(GetParam().reading);
    EXPECT_EQ(verdict.health, GetParam().health);
    std::vector<Concern> concerns;
    for (const Finding& f : verdict.findings) {
        concerns.push_back(f.concern);
    }
    EXPECT_EQ(concerns, GetParam().concerns);
}

INSTANTIATE_TEST_SUITE_P(
    Readings,
    EnclosureVerdict,
    testing::Values(
        ReadingCase{"healthy", reading({controller({mirror(0)})}), Health::Ok, {}},
        ReadingCase{"noEnclosure", reading({}), Health::Unknown, {Concern::NoEnclosure}},
        ReadingCase{"libraryMissing",
                    reading({}, false, "missing"),
                    Health::Unknown,
                    {Concern::LibraryProblem, Concern::ControllersUnreadable}},
        ReadingCase{"anAdapterUnread",
                    reading({controller({mirror(0)})}, false),
                    Health::Unknown,
                    {Concern::ControllersUnreadable}},
        ReadingCase{"noDisk", reading({controller({}, {})}), Health::Unknown, {Concern::NoDisks}},
        ReadingCase{"volumeListUnread",
                    reading({unreadLists(true, false)}),
                    Health::Unknown,
                    {Concern::VolumeListUnreadable}},
        ReadingCase{"diskListUnread",
                    reading({unreadLists(false, true)}),
                    Health::Unknown,
                    {Concern::DiskListUnreadable}},
        ReadingCase{"diskStatusUnread",
                    reading({controller({mirror(0)}, {disk(0, std::nullopt)})}),
                    Health::Unknown,
                    {Concern::DiskStatusUnreadable}},
        ReadingCase{"freeDiskOffline",
                    reading({controller({}, {disk(0, MV_HD_STATUS_OFFLINE)})}),
                    Health::Degraded,
                    {Concern::DiskFailed}},
        ReadingCase{"degradedBeforeUnknown",
                    reading({controller({mirror(std::nullopt), mirror(1)})}),
                    Health::Degraded,
                    {Concern::VolumeDegraded, Concern::VolumeStatusUnreadable}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Verdict, UnreadIsWorthAnotherLookButABadStatusIsNot) {
    EXPECT_TRUE(anythingUnread(judgeController(unreadLists(true, false)).findings));
    EXPECT_TRUE(
        anythingUnread(judgeController(controller({mirror(0)}, {disk(0, std::nullopt)})).findings));
    EXPECT_FALSE(anythingUnread(judgeController(controller({mirror(1), mirror(7)})).findings));
}

}  // namespace
