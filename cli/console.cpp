#include "cli/console.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace cli {

namespace {

// systemd says in JOURNAL_STREAM ("DEVICE:INODE") which stream it connected
// to the journal; standard output is that stream when it is that file.
bool outputIsJournalStream() {
    const char* stream = std::getenv("JOURNAL_STREAM");
    struct stat st {};
    if (!stream || ::fstat(STDOUT_FILENO, &st) != 0) {
        return false;
    }
    return std::string(stream) == std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

}  // namespace

Console Console::standard() {
    return Console{std::cin,  ::isatty(STDIN_FILENO) == 1,  std::cout,
                   std::cerr, ::isatty(STDOUT_FILENO) == 1, outputIsJournalStream()};
}

}  // namespace cli
