#include "cli/monitor_verb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "cli/health.h"
#include "tests/cli/cli_test_support.h"
#include "tests/cli/private_session_bus.h"

namespace {

using cli::testing::run;
using ::testing::HasSubstr;

class MonitorVerb : public cli::testing::SimulatedEnclosure {
  protected:
    std::string read(const std::filesystem::path& file) {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(MonitorVerb, OnceActsOnWhatNeedsAttentionAndExitsWithTheStatusCode) {
    sim({"reset"});
    sim({"pull", "0"});
    ::setenv("RECORD_FILE", (runtime_ / "record").c_str(), 1);
    const auto r = run({"monitor", "--once", "--simulator", "--textfile", runtime_.string(),
                        "--program", NORVIK_TEST_SCRIPTS_DIR "/record-arguments"});
    ::unsetenv("RECORD_FILE");

    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "volume-degraded Norvik Duo\n");
    EXPECT_EQ(read(runtime_ / "record"), "volume-degraded\nNorvik Duo\n--\n");
    EXPECT_THAT(read(runtime_ / "norvik_raid.prom"),
                HasSubstr(R"(norvik_raid_volume_state{controller="0",volume="Norvik Duo",)"
                          R"(state="degraded"} 1)"));
}

TEST_F(MonitorVerb, OnceReportsAVolumeWhoseStatusCannotBeReadAsUnknown) {
    sim({"reset"});
    sim({"fault", "MV_LD_GetStatus", "--status", "1", "--times", "100"});
    const auto r = run({"monitor", "--once", "--textfile", runtime_.string()});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "volume-unknown Norvik Duo volume-status-unreadable\n");
    EXPECT_THAT(read(runtime_ / "norvik_raid.prom"),
                HasSubstr(R"(norvik_raid_volume_state{controller="0",volume="Norvik Duo",)"
                          R"(state="unknown"} 1)"));
}

TEST_F(MonitorVerb, OnceOnAHealthyMirrorSaysNothingAndExitsWithZero) {
    sim({"reset"});
    const auto r = run({"monitor", "--once"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(MonitorVerb, ValuesMayFollowAnEqualsSignAndTheGlobalOptionTheVerb) {
    sim({"reset"});
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"monitor", "--once", "--interval=30"},
             {"--simulator", "monitor", "--interval", "30", "--once"},
             {"monitor", "--once", "--simulator"}}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(MonitorVerb, MistypedOptionsAreUnknownAndStartNothing) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"monitor", "--interval"},
                                               {"monitor", "--interval", "0"},
                                               {"monitor", "--interval", "5s"},
                                               {"monitor", "--interval", "nan"},
                                               {"monitor", "--program"},
                                               {"monitor", "--textfile", "/nonexistent/dir"},
                                               {"monitor", "--notfiy"}}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, cli::kMonitoringUsageError) << args.back();
        EXPECT_THAT(r.err, HasSubstr("Usage: norvik-raid monitor")) << args.back();
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(MonitorVerb, ValuesThatCouldNeverWorkStopItAtStart) {
    struct Case {
        std::vector<std::string> args;
        const char* said;
    };
    const Case cases[] = {
        {{"--program", "/nonexistent/handler"}, "--program: cannot run /nonexistent/handler"},
        {{"--program", "no-such-program-anywhere"}, "cannot run no-such-program-anywhere"},
        {{"--mail", "root", "--sendmail", "/nonexistent/sendmail"}, "--sendmail: cannot run"},
        {{"--mail", "a@b,c@d"}, "--mail wants one mail address"},
        {{"--remind", "-1"}, "--remind wants a number of hours"},
        {{"--remind", "soon"}, "--remind wants a number of hours"},
        {{"--remind"}, "--remind needs a value"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"monitor", "--once"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = run(args);
        EXPECT_EQ(r.status, cli::kMonitoringUsageError) << c.said;
        EXPECT_THAT(r.err, HasSubstr(c.said));
        EXPECT_EQ(r.out, "");
    }
}

class MonitorConfig : public MonitorVerb {
  protected:
    std::string config(const std::string& text) {
        const auto file = runtime_ / "monitor.conf";
        std::ofstream(file) << text;
        return file.string();
    }
    std::string record() { return read(runtime_ / "record"); }
};

TEST_F(MonitorConfig, ALineItCannotTakeStopsItNamingTheFileAndTheLine) {
    struct Case {
        std::string text;
        std::string said;  // after "FILE:"
    };
    const Case cases[] = {
        {"# comment\n\nintervall = 30\n", "3: unknown key “intervall”"},
        {"interval = 30\njust words\n", "2: not a “key = value” line"},
        {"= 30\n", "1: not a “key = value” line"},
        {"interval = 0\n", "1: --interval wants a number of seconds"},
        {"remind = forever\n", "1: --remind wants a number of hours"},
        {"notify = maybe\n", "1: notify wants yes or no, not “maybe”"},
        {"mail = root\nmail = a@b \"quoted\"\n", "2: --mail wants one mail address"},
        {"program = /nonexistent/handler\n", "1: --program: cannot run /nonexistent/handler"},
        {"sendmail = /nonexistent/sendmail\n", "1: --sendmail: cannot run"},
        {"textfile = /nonexistent/dir\n", "1: --textfile wants a directory"},
    };
    sim({"reset"});
    for (const Case& c : cases) {
        const std::string file = config(c.text);
        const auto r = run({"monitor", "--once", "--config", file});
        EXPECT_EQ(r.status, cli::kMonitoringUsageError) << c.text;
        EXPECT_THAT(r.err, ::testing::StartsWith("norvik-raid monitor: " + file + ":" + c.said))
            << c.text;
        EXPECT_THAT(r.err, ::testing::Not(HasSubstr("Usage:"))) << c.text;
        EXPECT_EQ(r.out, "");
    }
    const auto missing = run({"monitor", "--once", "--config", (runtime_ / "none.conf").string()});
    EXPECT_EQ(missing.status, cli::kMonitoringUsageError);
    EXPECT_THAT(missing.err, HasSubstr("none.conf: No such file"));
}

TEST_F(MonitorConfig, GivesWhatTheCommandLineLeavesUnsaid) {
    sim({"reset"});
    sim({"pull", "1"});
    ::setenv("RECORD_FILE", (runtime_ / "record").c_str(), 1);
    const std::string file = config(std::string("# the administrator's settings\n") +
                                    "interval = 30\n  program = " NORVIK_TEST_SCRIPTS_DIR
                                    "/record-arguments  \ntextfile = " +
                                    runtime_.string() + "\nremind = 0\nnotify = no\n");
    const auto fromFile = run({"monitor", "--once", "--config", file});
    EXPECT_EQ(fromFile.status, 2) << fromFile.err;
    EXPECT_EQ(record(), "volume-degraded\nNorvik Duo\n--\n");
    EXPECT_TRUE(std::filesystem::exists(runtime_ / "norvik_raid.prom"));

    // The command line wins over the file.
    std::filesystem::remove(runtime_ / "record");
    const auto overridden = run({"monitor", "--once", "--config", file, "--program", "true"});
    EXPECT_EQ(overridden.status, 2) << overridden.err;
    EXPECT_FALSE(std::filesystem::exists(runtime_ / "record"));
    ::unsetenv("RECORD_FILE");
}

TEST_F(MonitorConfig, TheShippedExampleIsTakenAsItIs) {
    sim({"reset"});
    std::ifstream shipped(std::string(NORVIK_RESOURCES_DIR) + "/../cli/system/monitor.conf");
    std::stringstream text;
    text << shipped.rdbuf();
    ASSERT_THAT(text.str(), HasSubstr("\ntextfile = /run/norvik-raid-monitor\n"));
    // Its runtime directory is the service's; here the test's stands in.
    const std::string file = config(std::regex_replace(
        text.str(), std::regex("\ntextfile = [^\n]*"), "\ntextfile = " + runtime_.string()));
    const auto r = run({"monitor", "--once", "--config", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(std::filesystem::exists(runtime_ / "norvik_raid.prom"));
}

TEST_F(MonitorVerb, OnATerminalEachEventLineStartsWithTheLocalTime) {
    sim({"reset"});
    sim({"pull", "1"});
    std::istringstream in;
    std::ostringstream out, err;
    cli::Console terminal{in, false, out, err, /*outputIsTerminal=*/true};
    EXPECT_EQ(cli::runCommandLine({"monitor", "--once"}, terminal), 2) << err.str();
    EXPECT_TRUE(std::regex_match(
        out.str(), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d volume-degraded Norvik Duo\n)")))
        << out.str();
}

TEST_F(MonitorVerb, JsonLinesParseBackToTheEvents) {
    sim({"reset"});
    sim({"pull", "1"});
    const auto r = run({"monitor", "--once", "--json", "--test"});
    EXPECT_EQ(r.status, 2);
    std::istringstream lines(r.out);
    std::vector<nlohmann::json> events;
    for (std::string line; std::getline(lines, line);) {
        events.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(events.size(), 2u) << r.out;
    const std::regex utc(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    struct Expected {
        const char* event;
        nlohmann::json controller, volume, disk, detail;
    };
    const Expected expected[] = {
        {"volume-degraded", 0, "Norvik Duo", nullptr, nullptr},
        {"test", 0, "Norvik Duo", nullptr, nullptr},
    };
    for (std::size_t i = 0; i < events.size(); ++i) {
        const nlohmann::json& e = events[i];
        EXPECT_TRUE(std::regex_match(e.at("time").get<std::string>(), utc)) << e;
        EXPECT_EQ(e.at("event"), expected[i].event);
        EXPECT_EQ(e.at("controller"), expected[i].controller);
        EXPECT_EQ(e.at("volume"), expected[i].volume);
        EXPECT_EQ(e.at("disk"), expected[i].disk);
        EXPECT_EQ(e.at("detail"), expected[i].detail);
        EXPECT_EQ(e.at("reminder"), false);
    }
}

TEST_F(MonitorVerb, TheTestAlertGoesThroughEveryChannelAndOnceExitsAfterIt) {
    cli::testing::PrivateSessionBus bus(runtime_);
    if (!bus.problem().empty()) {
        GTEST_SKIP() << bus.problem();
    }
    sim({"reset"});
    // The program and the mail run side by side: each records to its own file.
    ::setenv("RECORD_FILE", (runtime_ / "program").c_str(), 1);
    ::setenv("MAIL_RECORD_FILE", (runtime_ / "mail").c_str(), 1);
    const auto r = run({"monitor", "--once", "--test", "--notify", "--program",
                        NORVIK_TEST_SCRIPTS_DIR "/record-arguments", "--mail", "root", "--sendmail",
                        NORVIK_TEST_SCRIPTS_DIR "/record-mail"});
    ::unsetenv("RECORD_FILE");
    ::unsetenv("MAIL_RECORD_FILE");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "test Norvik Duo\n");
    EXPECT_EQ(read(runtime_ / "program"), "test\nNorvik Duo\n--\n");
    const std::string mail = read(runtime_ / "mail");
    EXPECT_THAT(mail, HasSubstr("] test Norvik Duo\n"));  // the subject
    EXPECT_THAT(mail, HasSubstr("This is a test of the monitor’s alerts"));
    const auto calls = bus.notifyCalls(1);
    ASSERT_EQ(calls.size(), 1u) << r.err;
    EXPECT_THAT(calls[0], HasSubstr("Test alert from the RAID monitor"));
}

}  // namespace
