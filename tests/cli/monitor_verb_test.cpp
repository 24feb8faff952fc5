#include "cli/monitor_verb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/health.h"
#include "tests/cli/cli_test_support.h"

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

}  // namespace
