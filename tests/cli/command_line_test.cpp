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
        EXPECT_NE(r.out.find("Usage: norvik-raid [--simulator] VERB"), std::string::npos) << help;
        for (const cli::Verb& verb : cli::verbs()) {
            EXPECT_NE(r.out.find(verb.name), std::string::npos) << verb.name;
        }
        EXPECT_EQ(r.err, "");
    }
}

TEST(CommandLine, HelpBeforeOrAfterAVerbPrintsThatVerbsHelp) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"help", "rebuild"}, {"rebuild", "--help"}, {"-h", "rebuild"}, {"rebuild", "-h"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.find("Usage: norvik-raid rebuild"), 0u) << r.out;
        EXPECT_NE(r.out.find("--volume ID"), std::string::npos);
        EXPECT_NE(r.out.find("4 not authorized"), std::string::npos);
    }
}

TEST(CommandLine, VersionIsPrintedBeforeOrAfterAVerb) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--version"}, {"-V"}, {"status", "--version"}, {"--simulator", "-V"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << args.front();
        EXPECT_EQ(r.out, std::string("norvik-raid ") + cli::version() + "\n");
    }
    EXPECT_STRNE(cli::version(), "");
}

struct Mistake {
    std::vector<std::string> args;
    const char* said;
};

class MistypedCommandLine : public testing::TestWithParam<Mistake> {};

TEST_P(MistypedCommandLine, IsAUsageErrorOnStderrWithTheUsage) {
    const Outcome r = run(GetParam().args);
    EXPECT_EQ(r.status, cli::kUsageError);
    EXPECT_EQ(cli::kUsageError, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(GetParam().said), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Usage: norvik-raid"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines,
    MistypedCommandLine,
    testing::Values(Mistake{{}, "no verb given"},
                    Mistake{{"--simulator"}, "no verb given"},
                    Mistake{{"frobnicate", "--json"}, "unknown verb “frobnicate”"},
                    Mistake{{"--frob", "status"}, "unknown option “--frob”"},
                    Mistake{{"help", "statue"}, "unknown verb “help”"},
                    Mistake{{"status", "--json", "--nagios"}, "--json and --nagios exclude"},
                    Mistake{{"monitor", "--interval=0"}, "not “0”"},
                    Mistake{{"monitor", "--once", "--program"}, "--program needs a value"},
                    Mistake{{"devices", "--json=maybe"}, "--json"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
