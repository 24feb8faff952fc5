#include "platform/controls/workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

class WorkspaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "norvik-ws-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path program(const std::string& name, const std::string& text, fs::perms perms) {
        const auto path = dir_ / name;
        std::ofstream(path) << text;
        fs::permissions(path, perms);
        return path;
    }
    // A program that reads nothing from our folder, which may be gone by the time it runs.
    void trueProgram(const std::string& name) { fs::create_symlink("/bin/true", dir_ / name); }
    static constexpr auto kExecutable = fs::perms::owner_all;

    fs::path dir_;
};

// No child of ours may be left over: a launch must reap what it forks.
void expectNoChildren() {
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(WorkspaceTest, DiskUtilityPrefersGnomeDisksThenPartitionManager) {
    EXPECT_EQ(Workspace::programsFor("Disk Utility"),
              (std::vector<std::string>{"gnome-disks", "partitionmanager"}));

    trueProgram("partitionmanager");
    Workspace workspace(dir_.string());
    auto outcome = workspace.launchApplication("Disk Utility");
    EXPECT_TRUE(outcome.launched()) << outcome.message;
    EXPECT_EQ(outcome.program, dir_ / "partitionmanager");
    expectNoChildren();

    trueProgram("gnome-disks");
    outcome = workspace.launchApplication("Disk Utility");
    EXPECT_TRUE(outcome.launched()) << outcome.message;
    EXPECT_EQ(outcome.program, dir_ / "gnome-disks");
    expectNoChildren();
}

TEST_F(WorkspaceTest, LaunchDoesNotWaitForTheApplication) {
    // The program does not end on its own; the launch must return anyway. It
    // tells its process id through a FIFO so the test can end it.
    const auto fifo = dir_ / "pid";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    program("gnome-disks", "#!/bin/sh\necho $$ > '" + fifo.string() + "'\nexec sleep 3600\n",
            kExecutable);
    Workspace workspace(dir_.string());
    const auto outcome = workspace.launchApplication("Disk Utility");
    ASSERT_TRUE(outcome.launched()) << outcome.message;
    expectNoChildren();

    pid_t pid = 0;
    std::ifstream(fifo) >> pid;  // blocks until the program has started
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, SIGTERM), 0);
}

TEST_F(WorkspaceTest, MissingApplicationIsReportedNotThrown) {
    program("gnome-disks", "not executable", fs::perms::owner_read | fs::perms::owner_write);
    Workspace workspace(dir_.string());
    const auto outcome = workspace.launchApplication("Disk Utility");
    EXPECT_EQ(outcome.status, LaunchOutcome::Status::NotInstalled);
    EXPECT_FALSE(outcome.message.empty());
}

TEST_F(WorkspaceTest, ProgramThatCannotStartIsAFailure) {
    program("gnome-disks",
            std::string("\x7f"
                        "ELF garbage",
                        12),
            kExecutable);
    Workspace workspace(dir_.string());
    const auto outcome = workspace.launchApplication("Disk Utility");
    EXPECT_EQ(outcome.status, LaunchOutcome::Status::Failed);
    EXPECT_NE(outcome.message.find("cannot start"), std::string::npos) << outcome.message;
    EXPECT_EQ(outcome.error, ENOEXEC);
    expectNoChildren();
}

TEST_F(WorkspaceTest, NamesThatAreNotProgramNamesLaunchNothing) {
    trueProgram("tool");
    Workspace workspace(dir_.string());
    EXPECT_TRUE(workspace.launchApplication("tool").launched());
    const std::vector<std::string> names{"", "-rf", (dir_ / "tool").string(), "../tool"};
    for (const auto& name : names) {
        EXPECT_EQ(workspace.launchApplication(name).status, LaunchOutcome::Status::NotInstalled)
            << name;
    }
    expectNoChildren();
}

}  // namespace
}  // namespace platform
