#include "cli/status_verb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "cli/health.h"
#include "model/model_clock.h"
#include "tests/cli/cli_test_support.h"

namespace {

using cli::testing::run;
using nlohmann::json;

struct Simulation {
    const char* name;
    std::vector<std::vector<std::string>> commands;  // norvik-sim command lines
    bool corruptWorld;
    int exitStatus;
    const char* state;
    const char* nagios;
};

class StatusOn : public cli::testing::SimulatedEnclosure,
                 public ::testing::WithParamInterface<Simulation> {};

TEST_P(StatusOn, ExitStatusStateAndPluginLineAgree) {
    const Simulation& s = GetParam();
    ASSERT_EQ(sim({"reset"}).status, 0);
    for (const auto& command : s.commands) {
        ASSERT_EQ(sim(command).status, 0) << command.front();
    }
    if (s.corruptWorld) {
        world.write("{ this is not a world");
    }

    const auto text = run({"status", "--simulator"});
    const auto asJson = run({"status", "--json"});  // NORVIK_SIM_WORLD alone picks the simulator
    const auto nagios = run({"status", "--nagios", "--simulator"});

    EXPECT_EQ(text.status, s.exitStatus);
    EXPECT_EQ(asJson.status, s.exitStatus);
    EXPECT_EQ(nagios.status, s.exitStatus);
    const json doc = json::parse(asJson.out);
    EXPECT_EQ(doc["output_version"], 1);
    EXPECT_EQ(doc["state"], s.state);
    EXPECT_THAT(nagios.out, ::testing::StartsWith(std::string("NORVIK RAID ") + s.nagios + " - "));
    EXPECT_THAT(nagios.out, ::testing::MatchesRegex("[^|\n]*\\|[^|\n]*\n"));  // one line, one bar
}

INSTANTIATE_TEST_SUITE_P(
    Simulations,
    StatusOn,
    ::testing::Values(
        Simulation{"Healthy", {}, false, 0, "ok", "OK"},
        Simulation{"Degraded", {{"pull", "1"}}, false, 2, "degraded", "CRITICAL"},
        Simulation{"Rebuilding",
                   {{"pull", "1"}, {"rebuild-time", "100000"}, {"insert", "1"}},
                   false,
                   1,
                   "rebuilding",
                   "WARNING"},
        Simulation{"StripeMissingADisk",
                   {{"reset", "--layout", "raid0"}, {"pull", "0"}},
                   false,
                   2,
                   "failed",
                   "CRITICAL"},
        Simulation{"IndividualDisks", {{"reset", "--layout", "individual"}}, false, 0, "ok", "OK"},
        Simulation{"EmptyEnclosure",
                   {{"reset", "--layout", "empty"}},
                   false,
                   3,
                   "unknown",
                   "UNKNOWN"},
        Simulation{"Unplugged", {{"unplug"}}, false, 3, "unknown", "UNKNOWN"},
        Simulation{"CorruptWorld", {}, true, 3, "unknown", "UNKNOWN"},
        Simulation{"StatusQueryFails",
                   {{"fault", "MV_LD_GetStatus", "--status", "3", "--times", "100"}},
                   false,
                   3,
                   "unknown",
                   "UNKNOWN"}),
    [](const ::testing::TestParamInfo<Simulation>& info) { return info.param.name; });

class Status : public cli::testing::SimulatedEnclosure {
  protected:
    // A rebuild of 1 % per 1000 s, checked `count` times 1000 s apart on the
    // model's clock; the last check's JSON.
    json checksOneStepApart(int count) {
        sim({"reset"});
        sim({"pull", "1"});
        sim({"rebuild-time", "100000"});
        sim({"insert", "1"});
        json doc;
        for (int i = 0; i < count; ++i) {
            sim({"advance", "1000"});
            clock.advance(platform::seconds(1000));
            doc = json::parse(run({"status", "--json"}).out);
        }
        return doc;
    }

    platform::ManualClock clock;
    ScopedModelClock clockScope{clock};
};

TEST_F(Status, JsonNamesEveryVolumeAndDiskWithTheDocumentedFields) {
    sim({"reset"});
    sim({"pull", "1"});
    sim({"rebuild-time", "100000"});
    sim({"insert", "1"});
    const json doc = json::parse(run({"status", "--json", "--simulator"}).out);

    ASSERT_EQ(doc["controllers"].size(), 1u);
    const json& controller = doc["controllers"][0];
    ASSERT_EQ(controller["volumes"].size(), 1u);
    const json& volume = controller["volumes"][0];
    EXPECT_EQ(volume["name"], "Norvik Duo");
    EXPECT_EQ(volume["raid_mode"], "raid1");
    EXPECT_EQ(volume["status"], "rebuilding");
    EXPECT_EQ(volume["status_text"], "Rebuilding");
    EXPECT_TRUE(volume["progress_percent"].is_number_integer());
    EXPECT_TRUE(volume["rebuild_seconds_remaining"].is_null());  // one reading: no rate yet
    EXPECT_EQ(volume["capacity_bytes"], 2'000'398'934'016ULL);
    EXPECT_EQ(volume["member_slots"], json::array({0, 1}));

    ASSERT_EQ(controller["disks"].size(), 2u);
    for (const json& disk : controller["disks"]) {
        for (const char* field : {"slot", "model", "serial", "capacity_bytes", "status"}) {
            EXPECT_TRUE(disk.contains(field)) << field;
        }
        EXPECT_FALSE(disk["serial"].get<std::string>().empty());
    }
    EXPECT_EQ(controller["disks"][1]["slot"], 1);
    EXPECT_NE(controller["disks"][0]["serial"], controller["disks"][1]["serial"]);
}

TEST_F(Status, SuccessiveChecksLearnTheRebuildRate) {
    // Each check, 1000 s after the last, sees the rebuild 1 % further: after a
    // few the rate is steady.
    json doc = checksOneStepApart(6);
    const json& volume = doc["controllers"][0]["volumes"][0];
    ASSERT_TRUE(volume["rebuild_seconds_remaining"].is_number_integer()) << volume.dump();
    EXPECT_EQ(volume["rebuild_seconds_remaining"].get<long long>(),
              1000 * (100 - volume["progress_percent"].get<long long>()));
    EXPECT_TRUE(doc["rebuild_estimate_problem"].is_null());
}

TEST_F(Status, JsonSaysWhyTheTimeLeftCannotBeLearned) {
    // A file where the runtime folder's own folder belongs.
    std::ofstream(runtime_ / "norvik-raid") << "in the way";
    const json doc = checksOneStepApart(6);
    EXPECT_TRUE(doc["controllers"][0]["volumes"][0]["rebuild_seconds_remaining"].is_null());
    ASSERT_TRUE(doc["rebuild_estimate_problem"].is_string()) << doc.dump();
    EXPECT_THAT(doc["rebuild_estimate_problem"].get<std::string>(),
                ::testing::HasSubstr((runtime_ / "norvik-raid").string()));
}

TEST_F(Status, NagiosLineCarriesTheRebuildPercentageAsPerformanceData) {
    sim({"reset"});
    sim({"pull", "1"});
    sim({"rebuild-time", "100"});
    sim({"insert", "1"});
    sim({"advance", "37"});
    const auto r = run({"status", "--nagios"});
    EXPECT_THAT(r.out, ::testing::HasSubstr("'Norvik Duo rebuild'=37%;;;0;100"));
    EXPECT_THAT(r.out, ::testing::HasSubstr("rebuilding=1"));
}

TEST_F(Status, AMistypedCommandIsUnknownInTheMonitoringConvention) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"status", "--jsn"},
                                                 {"status", "--json", "--nagios"},
                                                 {"status", "extra"}}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, cli::kMonitoringUsageError);
        EXPECT_EQ(r.out, "");
        EXPECT_THAT(r.err, ::testing::HasSubstr("Usage: norvik-raid status"));
    }
    EXPECT_EQ(run({"status", "--help"}).status, 0);
}

}  // namespace
