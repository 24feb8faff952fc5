// configure, rebuild and cancel-rebuild in process on the simulator: what is
// asked and what a typed answer, --yes or a missing terminal does; what is
// refused and with which exit status; and that the world file is left byte
// for byte as it was whenever nothing was done.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/command_line.h"
#include "model/model_clock.h"
#include "tests/cli/cli_test_support.h"

namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using Commands = std::vector<std::vector<std::string>>;

const Commands kMirror = {{"reset"}};
const Commands kDegradedWithBlankDisk = {{"reset"},
                                         {"auto-rebuild", "off"},
                                         {"pull", "1"},
                                         {"insert", "1"}};
const Commands kDegradedWithoutDisk = {{"reset"}, {"pull", "1"}};
const Commands kRebuilding = {{"reset"},
                              {"rebuild-time", "100000"},
                              {"pull", "1"},
                              {"insert", "1"}};

struct Conversation {
    int status = 0;
    std::string out;
    std::string err;
};

class ChangeVerbs : public cli::testing::SimulatedEnclosure {
  protected:
    void setUp(const Commands& commands) {
        for (const auto& command : commands) {
            ASSERT_EQ(sim(command).status, 0) << command.front();
        }
    }
    Conversation talk(std::vector<std::string> args, bool terminal, const std::string& typed) {
        std::istringstream in(typed);
        std::ostringstream out, err;
        cli::Console console{in, terminal, out, err};
        Conversation c;
        c.status = cli::runCommandLine(args, console);
        c.out = out.str();
        c.err = err.str();
        return c;
    }

    // The pauses of volume creation pass in no time.
    platform::ManualClock clock;
    ScopedModelClock clockScope{clock};
};

struct Exchange {
    const char* what;
    Commands world;
    std::vector<std::string> args;
    bool terminal;
    const char* typed;
    int status;
    bool changes;
    const char* said;  // somewhere in what was printed
};

void PrintTo(const Exchange& e, std::ostream* os) {
    *os << e.what;
}

class Answers : public ChangeVerbs, public ::testing::WithParamInterface<Exchange> {};

TEST_P(Answers, OnlyATypedYesOrYesOptionChangesTheEnclosure) {
    const Exchange& e = GetParam();
    setUp(e.world);
    const std::string before = world.contents();
    auto args = e.args;
    args.push_back("--simulator");
    const Conversation c = talk(args, e.terminal, e.typed);
    EXPECT_EQ(c.status, e.status) << c.out << c.err;
    EXPECT_EQ(world.contents() != before, e.changes);
    EXPECT_THAT(c.out + c.err, HasSubstr(e.said));
}

INSTANTIATE_TEST_SUITE_P(
    Verbs,
    Answers,
    ::testing::Values(Exchange{"configure confirmed",
                               kMirror,
                               {"configure", "raid0", "--name", "Fast"},
                               true,
                               "yes\nyes\n",
                               0,
                               true,
                               "one RAID 0 volume (striped) named “Fast”.\n"
                               "  deleted: volume “Norvik Duo” (ID 1)\n"
                               "  erased and used: slot 0, "},
                      Exchange{"configure declined first",
                               kMirror,
                               {"configure", "raid1"},
                               true,
                               "no\n",
                               1,
                               false,
                               "not confirmed"},
                      Exchange{"configure declined second",
                               kMirror,
                               {"configure", "individual"},
                               true,
                               "yes\nYes please\n",
                               1,
                               false,
                               "Are you sure?"},
                      Exchange{"configure at the end of input",
                               kMirror,
                               {"configure", "raid1"},
                               true,
                               "",
                               1,
                               false,
                               "Type yes to go on: "},
                      Exchange{"configure --yes",
                               kMirror,
                               {"configure", "raid1", "--yes"},
                               false,
                               "",
                               0,
                               true,
                               "The enclosure is configured"},
                      Exchange{"configure without a terminal",
                               kMirror,
                               {"configure", "raid1"},
                               false,
                               "yes\nyes\n",
                               1,
                               false,
                               "not a terminal"},
                      Exchange{"rebuild confirmed",
                               kDegradedWithBlankDisk,
                               {"rebuild"},
                               true,
                               " yes \nyes\n",
                               0,
                               true,
                               "copied from: slot 0"},
                      Exchange{"rebuild declined",
                               kDegradedWithBlankDisk,
                               {"rebuild"},
                               true,
                               "yes\nno\n",
                               1,
                               false,
                               "Disk in slot 1 will be erased. Start the rebuild?"},
                      Exchange{"rebuild --yes",
                               kDegradedWithBlankDisk,
                               {"rebuild", "--yes"},
                               false,
                               "",
                               0,
                               true,
                               "The rebuild has started"},
                      Exchange{"rebuild without a terminal",
                               kDegradedWithBlankDisk,
                               {"rebuild"},
                               false,
                               "",
                               1,
                               false,
                               "--yes"},
                      Exchange{"cancel confirmed once",
                               kRebuilding,
                               {"cancel-rebuild"},
                               true,
                               "yes\n",
                               0,
                               true,
                               "The rebuild is cancelled"},
                      Exchange{"cancel declined",
                               kRebuilding,
                               {"cancel-rebuild"},
                               true,
                               "no\n",
                               1,
                               false,
                               "Cancel the rebuild of “Norvik Duo”?"},
                      Exchange{"cancel --yes",
                               kRebuilding,
                               {"cancel-rebuild", "--yes", "--volume=1"},
                               false,
                               "",
                               0,
                               true,
                               "Plan: cancel the rebuild of volume “Norvik Duo” (ID 1)"},
                      Exchange{"cancel without a terminal",
                               kRebuilding,
                               {"cancel-rebuild"},
                               false,
                               "",
                               1,
                               false,
                               "nothing was changed"},
                      Exchange{"rebuild of a healthy mirror",
                               kMirror,
                               {"rebuild", "--yes"},
                               false,
                               "",
                               1,
                               false,
                               "no volume of enclosure controller 0 is degraded"},
                      Exchange{"rebuild without a blank disk",
                               kDegradedWithoutDisk,
                               {"rebuild", "--yes"},
                               false,
                               "",
                               1,
                               false,
                               "Insert a blank disk into slot 1"},
                      Exchange{"rebuild of a volume that is not degraded",
                               kRebuilding,
                               {"rebuild", "--yes", "--volume", "1"},
                               false,
                               "",
                               1,
                               false,
                               "is not degraded but Rebuilding"},
                      Exchange{"a mirror on one disk",
                               kDegradedWithoutDisk,
                               {"configure", "raid1", "--yes"},
                               false,
                               "",
                               1,
                               false,
                               "Two disks are needed"},
                      Exchange{"cancel with no rebuild",
                               kMirror,
                               {"cancel-rebuild", "--yes"},
                               false,
                               "",
                               1,
                               false,
                               "is being rebuilt"},
                      Exchange{"cancel of a named volume with no rebuild",
                               kMirror,
                               {"cancel-rebuild", "--yes", "--volume", "1"},
                               false,
                               "",
                               1,
                               false,
                               "No rebuild is running"},
                      Exchange{"no enclosure",
                               {{"reset"}, {"unplug"}},
                               {"rebuild", "--yes"},
                               false,
                               "",
                               1,
                               false,
                               "no enclosure controller was found"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

struct Failure {
    const char* what;
    Commands world;
    std::vector<std::string> args;
    const char* said;
};

void PrintTo(const Failure& f, std::ostream* os) {
    *os << f.what;
}

class ControllerFailures : public ChangeVerbs, public ::testing::WithParamInterface<Failure> {};

TEST_P(ControllerFailures, ExitWithTwoAndTheLibrarysStatus) {
    setUp(GetParam().world);
    auto args = GetParam().args;
    args.push_back("--yes");
    const Conversation c = talk(args, false, "");
    EXPECT_EQ(c.status, 2);
    EXPECT_THAT(c.err, HasSubstr(GetParam().said));
}

INSTANTIATE_TEST_SUITE_P(
    Verbs,
    ControllerFailures,
    ::testing::Values(Failure{"rebuild refused",
                              [] {
                                  auto w = kDegradedWithBlankDisk;
                                  w.push_back({"fault", "MV_LD_StartRebuild", "--status", "6"});
                                  return w;
                              }(),
                              {"rebuild"},
                              "The RAID controller reported error 6."},
                      Failure{"creation raised",
                              {{"reset"}, {"fault", "MV_LD_Create", "--throw"}},
                              {"configure", "raid0"},
                              "reported error 255"},
                      Failure{"cancel refused",
                              [] {
                                  auto w = kRebuilding;
                                  w.push_back({"fault", "MV_LD_BGAControl", "--status", "9"});
                                  return w;
                              }(),
                              {"cancel-rebuild"},
                              "error 9; the rebuild goes on"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

class MistypedChange : public ChangeVerbs,
                       public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(MistypedChange, ExitsWithThreeAndTheVerbsUsageAndTouchesNothing) {
    setUp(kMirror);
    const std::string before = world.contents();
    const Conversation c = talk(GetParam(), true, "yes\nyes\n");
    EXPECT_EQ(c.status, 3);
    EXPECT_EQ(c.out, "");
    EXPECT_THAT(c.err, HasSubstr("Usage: norvik-raid " + GetParam().front()));
    EXPECT_EQ(world.contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines,
    MistypedChange,
    ::testing::Values(std::vector<std::string>{"configure"},
                      std::vector<std::string>{"configure", "raid5"},
                      std::vector<std::string>{"configure", "raid1", "--name"},
                      std::vector<std::string>{"configure", "raid1", "--name", "sixteen chars!!!"},
                      std::vector<std::string>{"configure", "raid1", "--name", "bad\xff"},
                      std::vector<std::string>{"configure", "individual", "--name", "X"},
                      std::vector<std::string>{"configure", "raid1", "--volume", "1"},
                      std::vector<std::string>{"rebuild", "raid1"},
                      std::vector<std::string>{"rebuild", "--volume", "one"},
                      std::vector<std::string>{"rebuild", "--volume", "7"},
                      std::vector<std::string>{"rebuild", "--controller", "3"},
                      std::vector<std::string>{"cancel-rebuild", "--controller=-1"},
                      std::vector<std::string>{"cancel-rebuild", "--yse"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(ChangeVerbs, ANameOfFifteenCharactersIsTheMostTheWindowAllowsToo) {
    setUp(kMirror);
    const Conversation c =
        talk({"configure", "raid1", "--name=ÄÖÜäöüßÄÖÜäöüßxy", "--simulator", "--yes"}, false, "");
    EXPECT_EQ(c.status, 3);
    EXPECT_EQ(
        talk({"configure", "raid1", "--name=ÄÖÜäöüßÄÖÜäöüßx", "--simulator", "--yes"}, false, "")
            .status,
        0);
}

TEST_F(ChangeVerbs, AValueThatLooksLikeTheGlobalOptionStaysTheValue) {
    setUp(kMirror);
    const Conversation c =
        talk({"--simulator", "configure", "raid1", "--name", "--simulator", "--yes"}, false, "");
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_THAT(sim({"status"}).out, HasSubstr("--simulator"));
}

TEST_F(ChangeVerbs, NamedChoicesAreListedWhenSeveralControllersFit) {
    setUp({{"reset", "--enclosures", "2"}});
    const std::string before = world.contents();
    const Conversation c = talk({"configure", "raid0", "--simulator", "--yes"}, false, "");
    EXPECT_EQ(c.status, 3);
    EXPECT_THAT(c.err, HasSubstr("choose one with --controller: 0, 1"));
    EXPECT_EQ(world.contents(), before);
    EXPECT_EQ(
        talk({"configure", "raid0", "--simulator", "--yes", "--controller", "1"}, false, "").status,
        0);
    EXPECT_NE(world.contents(), before);
}

TEST_F(ChangeVerbs, JsonIsOneObjectWithThePlanAndTheOutcome) {
    setUp(kMirror);
    const Conversation done =
        talk({"configure", "raid1", "--name", "Safe", "--json", "--yes", "--simulator"}, false, "");
    ASSERT_EQ(done.status, 0) << done.err;
    const json doc = json::parse(done.out);
    EXPECT_EQ(doc["output_version"], 1);
    EXPECT_EQ(doc["verb"], "configure");
    EXPECT_EQ(doc["plan"]["controller"], 0);
    EXPECT_EQ(doc["plan"]["layout"], "raid1");
    EXPECT_EQ(doc["plan"]["name"], "Safe");
    EXPECT_EQ(doc["plan"]["volumes_deleted"][0]["name"], "Norvik Duo");
    ASSERT_EQ(doc["plan"]["disks"].size(), 2u);
    EXPECT_EQ(doc["plan"]["disks"][1]["slot"], 1);
    EXPECT_FALSE(doc["plan"]["disks"][1]["serial"].get<std::string>().empty());
    EXPECT_EQ(doc["outcome"]["result"], "done");
    EXPECT_EQ(doc["outcome"]["library_status"], 0);
    // People's text goes to stderr, so stdout stays one object.
    EXPECT_THAT(done.err, HasSubstr("Plan: make the disks"));

    setUp({{"pull", "1"}});
    const Conversation refused = talk({"rebuild", "--json", "--simulator"}, true, "yes\nyes\n");
    EXPECT_EQ(refused.status, 1);
    const json r = json::parse(refused.out);
    EXPECT_EQ(r["plan"]["volume"]["name"], "Safe");
    EXPECT_EQ(r["outcome"]["result"], "refused");
    EXPECT_TRUE(r["outcome"]["library_status"].is_null());
}

TEST_F(ChangeVerbs, AGermanSessionIsAskedInGerman) {
    setUp(kDegradedWithBlankDisk);
    platform::Bundle german{NORVIK_RESOURCES_DIR, "de"};
    platform::Bundle::ScopedMainBundle scope{german};
    const Conversation c = talk({"rebuild", "--simulator"}, true, "nein\n");
    EXPECT_EQ(c.status, 1);
    EXPECT_THAT(c.out, HasSubstr("Gespiegeltes Volume wiederherstellen?"));
    EXPECT_THAT(c.out, HasSubstr("Tippen Sie yes, um fortzufahren: "));
    EXPECT_THAT(c.err, HasSubstr("nicht bestätigt"));
}

}  // namespace
