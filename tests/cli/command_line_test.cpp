#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/verbs.h"
#include "tests/cli/command_line_run.h"

namespace {

using Outcome = CommandLineOutcome;
constexpr auto run = runNorvikRaid;

TEST(CommandLine, HelpAsTheFirstWordPrintsTheVerbsAndSucceeds) {
    for (const char* help : {"--help", "-h", "help"}) {
        const Outcome r = run({help});
        EXPECT_EQ(r.status, 0) << help;
        EXPECT_NE(r.out.find("Usage: norvik-raid VERB"), std::string::npos) << help;
        for (const cli::Verb& verb : cli::verbs()) {
            EXPECT_NE(r.out.find(verb.name), std::string::npos) << verb.name;
        }
        EXPECT_EQ(r.err, "");
    }
}

TEST(CommandLine, NothingOrAnUnknownVerbIsAUsageErrorOnStderr) {
    const Outcome none = run({});
    EXPECT_EQ(none.status, cli::kUsageError);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("Usage:"), std::string::npos);

    const Outcome unknown = run({"frobnicate", "--json"});
    EXPECT_EQ(unknown.status, cli::kUsageError);
    EXPECT_EQ(unknown.out, "");
    EXPECT_NE(unknown.err.find("unknown verb 'frobnicate'"), std::string::npos);
}

}  // namespace
