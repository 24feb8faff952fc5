#include "sim/file_kind.h"

#include <sys/stat.h>

namespace sim {

std::string whyNotRegular(mode_t mode) {
    if (S_ISREG(mode)) {
        return "";
    }
    if (S_ISLNK(mode)) {
        return "it is a symbolic link, which is not followed; name the file it points to instead";
    }
    if (S_ISDIR(mode)) {
        return "it is a directory, not a regular file";
    }
    if (S_ISFIFO(mode)) {
        return "it is a FIFO (named pipe), not a regular file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "it is a device, not a regular file";
    }
    if (S_ISSOCK(mode)) {
        return "it is a socket, not a regular file";
    }
    return "it is not a regular file";
}

}  // namespace sim
