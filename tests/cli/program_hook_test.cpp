// The program run per event: checked at start, run in order without holding
// up the monitor, and ended with everything it started when it hangs or the
// monitor stops.
#include "cli/program_hook.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "platform/controls/bundle.h"
#include "platform/runloop/virtual_time_driver.h"
#include "tests/cli/child_wait.h"
#include "tests/sim/sim_test_support.h"

namespace {

using namespace std::chrono_literals;
using cli::testing::alive;
using cli::testing::awaitUntil;
using ::testing::HasSubstr;

const std::string kScripts = NORVIK_TEST_SCRIPTS_DIR;

cli::Event event(cli::EventKind kind, std::string subject, std::string detail = "") {
    cli::Event e;
    e.kind = kind;
    e.subject = std::move(subject);
    e.detail = std::move(detail);
    return e;
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ProgramAtStart, IsFoundOrSaysWhyNot) {
    sim::testing::TempWorld dir;
    const auto plain = dir.dir() / "not-executable";
    std::ofstream(plain) << "#!/bin/sh\n";
    ::chmod(plain.c_str(), 0644);
    struct Case {
        std::string name;
        bool found;
        const char* problem;
    };
    const Case cases[] = {
        {kScripts + "/record-arguments", true, ""},
        {"sh", true, ""},  // looked up in PATH
        {"/nonexistent/handler", false, "No such file"},
        {"no-such-program-anywhere", false, "No such file"},
        {dir.dir().string(), false, "Is a directory"},
        {plain.string(), false, "Permission denied"},
    };
    for (const Case& c : cases) {
        const cli::ProgramLookup found = cli::findProgram(c.name);
        EXPECT_EQ(found.problem.empty(), c.found) << c.name;
        EXPECT_THAT(found.problem, HasSubstr(c.problem)) << c.name;
        if (c.found) {
            EXPECT_EQ(::access(found.path.c_str(), X_OK), 0) << c.name;
        }
    }
}

class Program : public ::testing::Test {
  protected:
    Program() { ::setenv("RECORD_FILE", record_.c_str(), 1); }
    ~Program() override { ::unsetenv("RECORD_FILE"); }

    // The process IDs the hanging script wrote: itself and its helper.
    std::pair<pid_t, pid_t> hangingPids() {
        const auto file = record_.string() + ".pids";
        awaitUntil(driver_.runLoop(), [&] { return std::filesystem::exists(file); });
        std::ifstream in(file);
        pid_t script = 0, helper = 0;
        in >> script >> helper;
        return {script, helper};
    }

    sim::testing::TempWorld dir_;
    std::filesystem::path record_ = dir_.dir() / "record";
    platform::VirtualTimeDriver driver_;
    platform::Bundle strings_{NORVIK_RESOURCES_DIR, "en"};
    platform::Bundle::ScopedMainBundle stringsScope_{strings_};
    std::ostringstream err_;
};

TEST_F(Program, RunsOncePerEventInOrderWithEveryWordAsOneArgument) {
    cli::ProgramHook hook(kScripts + "/record-arguments", driver_.runLoop(), err_);
    cli::Event update = event(cli::EventKind::RebuildStarted, "My Volume");
    update.progressUpdate = true;  // not an event of its own
    hook.run(event(cli::EventKind::VolumeDegraded, "My $(Volume); rm", "slot 1, M, serial S"));
    hook.run(update);
    hook.run(event(cli::EventKind::EnclosureAdded, "controller0"));
    hook.run(event(cli::EventKind::RebuildProgress, "My Volume", "40%"));
    // The events wait their turn; the caller does not.
    EXPECT_EQ(hook.queue().waiting(), 2u);
    ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return hook.queue().idle(); }));
    EXPECT_EQ(contents(record_),
              "volume-degraded\nMy $(Volume); rm\nslot 1, M, serial S\n--\n"
              "enclosure-added\ncontroller0\n--\n"
              "rebuild-progress\nMy Volume\n40%\n--\n");
    EXPECT_EQ(err_.str(), "");
}

TEST_F(Program, OneThatHangsIsEndedWithItsHelpersAtTheLimitAndTheNextEventsFollow) {
    const std::string hang = dir_.dir() / "hang-then-record";
    std::ofstream(hang) << "#!/bin/sh\n[ \"$1\" = volume-degraded ] && exec " << kScripts
                        << "/hang\nexec " << kScripts << "/record-arguments \"$@\"\n";
    ::chmod(hang.c_str(), 0755);
    cli::ProgramHook hook(hang, driver_.runLoop(), err_, 30s);
    hook.run(event(cli::EventKind::VolumeDegraded, "Norvik Duo"));
    hook.run(event(cli::EventKind::DiskAdded, "controller0:slot1"));
    const auto [script, helper] = hangingPids();
    ASSERT_TRUE(alive(script));
    ASSERT_TRUE(alive(helper));

    driver_.fastForwardBy(29s);
    EXPECT_TRUE(alive(script));
    EXPECT_EQ(contents(record_), "");
    driver_.fastForwardBy(1s);
    EXPECT_FALSE(alive(script));
    EXPECT_TRUE(awaitUntil(driver_.runLoop(), [&] { return !alive(helper); }));
    EXPECT_THAT(err_.str(), HasSubstr("still ran after 30 s; it was ended with everything"));
    ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return hook.queue().idle(); }));
    EXPECT_EQ(contents(record_), "disk-added\ncontroller0:slot1\n--\n");
}

TEST_F(Program, StillRunningWhenTheMonitorStopsIsEndedWithItsHelpers) {
    pid_t script = 0, helper = 0;
    {
        cli::ProgramHook hook(kScripts + "/hang", driver_.runLoop(), err_);
        hook.run(event(cli::EventKind::VolumeOffline, "Norvik Duo"));
        std::tie(script, helper) = hangingPids();
        ASSERT_TRUE(alive(script));
    }
    EXPECT_FALSE(alive(script));
    EXPECT_TRUE(awaitUntil(driver_.runLoop(), [&] { return !alive(helper); }));
}

TEST_F(Program, FailuresAreSaidAndDoNotStopTheNextEvents) {
    struct Case {
        std::string program;
        const char* said;
    };
    const Case cases[] = {
        {"/nonexistent/handler", "cannot run /nonexistent/handler"},
        {"false", "false failed on disk-added (exit status 1)"},
    };
    for (const Case& c : cases) {
        err_.str("");
        cli::ProgramHook hook(c.program, driver_.runLoop(), err_);
        hook.run(event(cli::EventKind::DiskAdded, "controller0:slot1"));
        hook.run(event(cli::EventKind::DiskAdded, "controller0:slot1"));
        ASSERT_TRUE(awaitUntil(driver_.runLoop(), [&] { return hook.queue().idle(); }));
        const std::string said = err_.str();
        EXPECT_THAT(said, HasSubstr(c.said)) << c.program;
        EXPECT_NE(said.find(c.said, said.find(c.said) + 1), std::string::npos) << c.program;
    }
}

}  // namespace
