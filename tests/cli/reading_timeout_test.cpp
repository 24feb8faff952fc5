// --timeout bounds a reading: what it accepts, and that a check stuck past
// it still ends with its UNKNOWN status.
#include "cli/reading_timeout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/health.h"
#include "tests/cli/cli_test_support.h"

namespace {

using ::testing::HasSubstr;
using namespace std::chrono_literals;

struct TimeoutText {
    const char* text;
    std::optional<platform::Duration> seconds;
};

class TimeoutTexts : public ::testing::TestWithParam<TimeoutText> {};

TEST_P(TimeoutTexts, AreSecondsFromOneToAnHour) {
    EXPECT_EQ(cli::parseTimeout(GetParam().text), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         TimeoutTexts,
                         ::testing::Values(TimeoutText{"1", 1s},
                                           TimeoutText{"2.5", 2500ms},
                                           TimeoutText{"3600", 3600s},
                                           TimeoutText{"0", std::nullopt},
                                           TimeoutText{"0.5", std::nullopt},
                                           TimeoutText{"3601", std::nullopt},
                                           TimeoutText{"-3", std::nullopt},
                                           TimeoutText{"5s", std::nullopt},
                                           TimeoutText{"nan", std::nullopt},
                                           TimeoutText{"inf", std::nullopt},
                                           TimeoutText{"", std::nullopt}));

class ReadingTimeoutOnTheSimulator : public cli::testing::SimulatedEnclosure {};

TEST_F(ReadingTimeoutOnTheSimulator, IsRefusedAsAMistypedCommandWhenItCannotBeUsed) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"status", "--timeout"},
                                               {"status", "--json", "--timeout", "0"},
                                               {"monitor", "--once", "--timeout", "ten"},
                                               {"monitor", "--timeout"}}) {
        const auto r = cli::testing::run(args);
        EXPECT_EQ(r.status, cli::kMonitoringUsageError) << args.back();
        EXPECT_THAT(r.err, HasSubstr("--timeout")) << args.back();
        EXPECT_THAT(r.err, HasSubstr("Usage: norvik-raid " + args.front()));
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(ReadingTimeoutOnTheSimulator, ChangesNothingInAReadingThatEndsInTime) {
    const auto unbounded = cli::testing::run({"status", "--nagios"});
    const auto bounded = cli::testing::run({"status", "--nagios", "--timeout", "2.5"});
    EXPECT_EQ(bounded.status, unbounded.status);
    EXPECT_EQ(bounded.out, unbounded.out);
    EXPECT_EQ(cli::testing::run({"monitor", "--once", "--timeout", "30"}).status,
              cli::testing::run({"monitor", "--once"}).status);
}

TEST(ReadingTimeoutDeathTest, EndsAProcessStuckPastTheDeadlineWithItsStatus) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            cli::ReadingTimeout bound(10ms, "UNKNOWN\n", 3);
            for (;;) {
                ::pause();
            }
        },
        ::testing::ExitedWithCode(3), "");
}

}  // namespace
