// Launching other desktop applications by name. "Disk Utility" is whichever
// disk utility the desktop has (GNOME Disks, KDE Partition Manager); any
// other name is looked up as a program on the search path.
//
// A launch never blocks until the application ends, never leaves a zombie
// process and never throws: the outcome says what happened.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct LaunchOutcome {
    enum class Status {
        Launched,
        NotInstalled,  // no program for the name on the search path
        Failed,        // found but could not be started; see message
    };
    Status status = Status::NotInstalled;
    std::filesystem::path program;  // the program started or tried
    std::string message;            // why it failed, for stderr
    int error = 0;                  // the errno of a failure, when there is one

    bool launched() const { return status == Status::Launched; }
};

class Workspace {
  public:
    // Searches `searchPath` (colon-separated); empty: $PATH at launch time.
    explicit Workspace(std::string searchPath = {});

    static Workspace& sharedWorkspace();

    LaunchOutcome launchApplication(const std::string& name) const;

    // The programs that stand for `name`, in order of preference.
    static std::vector<std::string> programsFor(const std::string& name);
    // The first executable `program` on the search path.
    std::optional<std::filesystem::path> findProgram(const std::string& program) const;

  private:
    std::string searchPath_;
};

}  // namespace platform
